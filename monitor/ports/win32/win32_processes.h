// Starting programs (CreateProcessW, ShellExecuteW) and listing the running
// ones (a Toolhelp snapshot).
#pragma once

#include "ports/monitor_ports.h"

namespace quill {

class Win32ProcessPort : public ProcessPort {
 public:
  bool Start(const std::u16string& commandLine) override;
  intptr_t ShellOpen(const std::u16string& file, const std::u16string& parameters,
                     int showCommand) override;
  bool ProcessNames(std::vector<std::u16string>* names) override;
};

}  // namespace quill
