// Script text to UTF-8, the 8-bit text of this platform, and back.
#pragma once

#include <string>

#include "control_ports.h"

namespace quill {

// Unpaired surrogates and malformed UTF-8 become U+FFFD.
class Utf8TextCodecPort : public TextCodecPort {
 public:
  std::string ToNarrow(const std::u16string& text) override;
  std::u16string ToWide(const std::string& text) override;
};

}  // namespace quill
