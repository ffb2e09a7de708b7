// Version and system information, the program's own path and command line,
// the shell's common programs folder, environment variables and pauses.
#pragma once

#include "ports/monitor_ports.h"

namespace quill {

class Win32SystemPort : public SystemPort {
 public:
  bool GetVersion(OsVersion* version) override;
  uint16_t ProcessorArchitecture() override;
  int ServerR2Metric() override;
  bool HasIsWow64Process() override;
  bool IsWow64Process() override;
  std::u16string ModuleFileName() override;
  bool CommonProgramsFolder(std::u16string* path) override;
  std::u16string CommandLine() override;
  bool GetEnvironment(const std::u16string& name, std::u16string* value) override;
  void Sleep(uint32_t milliseconds) override;
};

}  // namespace quill
