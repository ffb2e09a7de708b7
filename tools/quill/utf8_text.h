// Recognises well-formed UTF-8, so that texts read from a token can be shown
// safely whatever bytes they hold.
#pragma once

#include <cstddef>
#include <string>

namespace quill {

// The length (2 to 4) of the well-formed multi-byte UTF-8 sequence starting
// at text[index], or 0 when none starts there (ASCII bytes included).
size_t Utf8SequenceLength(const std::string& text, size_t index);

// The text with control characters and bytes that are not UTF-8 written as
// \xNN, so that printing it cannot drive a terminal.
std::string PrintableText(const std::string& text);

}  // namespace quill
