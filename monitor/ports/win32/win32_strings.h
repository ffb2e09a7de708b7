// The string table of a module, in the language the resource loader picks
// for the user interface.
#pragma once

#include <windows.h>

#include "ports/monitor_ports.h"

namespace quill {

class Win32StringsPort : public StringsPort {
 public:
  explicit Win32StringsPort(HINSTANCE module) : module_(module) {}
  std::u16string Load(int id) override;

 private:
  HINSTANCE module_;
};

}  // namespace quill
