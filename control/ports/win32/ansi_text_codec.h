// Script text to the system ANSI code page and back.
#pragma once

#include <string>

#include "control_ports.h"

namespace quill {

// Characters the code page lacks become the code page's default character.
class AnsiTextCodecPort : public TextCodecPort {
 public:
  std::string ToNarrow(const std::u16string& text) override;
  // The calling thread's code page (CP_THREAD_ACP).
  std::string ToNarrowForThread(const std::u16string& text) override;
  std::u16string ToWide(const std::string& text) override;
};

}  // namespace quill
