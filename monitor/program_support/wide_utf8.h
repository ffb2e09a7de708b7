// UTF-8 from Windows wide text, for the small Windows programs that write
// lines to files and redirected standard streams.
#pragma once

#include <string>

namespace quill {

// The UTF-8 bytes of text; empty when text is empty or cannot be converted.
std::string WideToUtf8(const std::wstring& text);

}  // namespace quill
