// A settable machine for tests: the Windows version record, processor,
// IsWow64Process, the program's path, the Start-menu folder, the command
// line and the environment. Sleeps are recorded, not slept.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ports/monitor_ports.h"

namespace quill::fake {

class FakeSystem : public SystemPort {
 public:
  FakeSystem();

  bool GetVersion(OsVersion* version) override;
  uint16_t ProcessorArchitecture() override { return architecture; }
  int ServerR2Metric() override { return serverR2; }
  bool HasIsWow64Process() override { return hasIsWow64Process; }
  bool IsWow64Process() override {
    ++isWow64ProcessCalls;
    return wow64;
  }
  // At most 260 characters, as the system fills a buffer of that size:
  // a longer `moduleFileName` comes back cut.
  std::u16string ModuleFileName() override;
  bool CommonProgramsFolder(std::u16string* path) override;
  std::u16string CommandLine() override { return commandLine; }
  bool GetEnvironment(const std::u16string& name, std::u16string* value) override;
  void Sleep(uint32_t milliseconds) override { sleeps.push_back(milliseconds); }

  // Windows 7 Professional (6.1, NT, workstation) on x86 unless changed.
  bool versionAvailable = true;
  OsVersion version;
  uint16_t architecture = 0;  // PROCESSOR_ARCHITECTURE_INTEL
  int serverR2 = 0;
  bool hasIsWow64Process = true;
  bool wow64 = false;
  int isWow64ProcessCalls = 0;
  std::u16string moduleFileName = u"C:\\Program Files\\Quill\\lumoMonitor.exe";
  bool commonProgramsKnown = true;
  std::u16string commonPrograms = u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
  std::u16string commandLine = u"\"C:\\Program Files\\Quill\\lumoMonitor.exe\"";
  std::map<std::u16string, std::u16string> environment;  // exact names
  std::vector<uint32_t> sleeps;
};

}  // namespace quill::fake
