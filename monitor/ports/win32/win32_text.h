// Text conversion between UTF-16 and the 8-bit code pages the monitor uses.
#pragma once

#include "ports/monitor_ports.h"

namespace quill {

class Win32TextPort : public TextPort {
 public:
  std::string ToNarrow(CodePage codePage, const std::u16string& text) override;
  std::u16string ToWide(CodePage codePage, const std::string& text) override;
};

}  // namespace quill
