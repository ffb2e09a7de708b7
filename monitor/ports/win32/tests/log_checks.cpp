#include <windows.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "diagnostic_log_setting.h"
#include "port_checks.h"
#include "win32_diagnostic_log.h"
#include "win32_registry.h"
#include "win32_system.h"

namespace quill {
namespace {

std::wstring ScratchFile(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + name;
}

std::string ReadAll(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// "YYYY-MM-DD HH:MM:SS.mmm " at the start of the line.
bool HasTimeStamp(const std::string& line) {
  if (line.size() < 24) return false;
  const char* shape = "dddd-dd-dd dd:dd:dd.ddd ";
  for (size_t i = 0; i < 24; ++i) {
    const bool digit = line[i] >= '0' && line[i] <= '9';
    if (shape[i] == 'd' ? !digit : line[i] != shape[i]) return false;
  }
  return true;
}

void LineFormat(Checks& checks) {
  const LogTime time{2026, 3, 7, 9, 5, 4, 12};
  checks.Expect(FormatLogLine(time, "start tray=yes refresh=0") ==
                    "2026-03-07 09:05:04.012 start tray=yes refresh=0\n",
                "a line is the zero-padded time stamp, the text and a line feed");
  checks.Expect(
      FormatLogLine(LogTime{2026, 12, 31, 23, 59, 59, 999}, "") == "2026-12-31 23:59:59.999 \n",
      "the largest fields keep their widths");
}

void AppendedAndFlushed(Checks& checks) {
  const std::wstring path = ScratchFile(L"quill_monitor_log_check.txt");
  {
    std::ofstream seed(path.c_str(), std::ios::binary | std::ios::trunc);
    seed << "earlier line\n";
  }
  const std::u16string widePath(reinterpret_cast<const char16_t*>(path.c_str()), path.size());
  Win32DiagnosticLog log(widePath);
  checks.Expect(log.Enabled(), "a log with a file is on");
  log.Line("arrival path=\\\\?\\usb#vid_04b4&pid_b328 match=yes");
  // Read while the log still holds the file: each line is on disk at once.
  const std::string first = ReadAll(path);
  log.Line("url opened: \"C:\\b.exe\" \"http://x/\xE4\xB8\xAD\"");
  const std::string both = ReadAll(path);
  checks.Expect(first.rfind("earlier line\n", 0) == 0, "what the file held stays at its start");
  const std::string line1 = first.substr(std::strlen("earlier line\n"));
  checks.Expect(HasTimeStamp(line1) &&
                    line1.substr(24) == "arrival path=\\\\?\\usb#vid_04b4&pid_b328 match=yes\n",
                "the first line is readable before the log is closed");
  const std::string line2 = both.substr(first.size());
  checks.Expect(HasTimeStamp(line2) &&
                    line2.substr(24) == "url opened: \"C:\\b.exe\" \"http://x/\xE4\xB8\xAD\"\n",
                "the second line follows, its UTF-8 bytes unchanged");
  DeleteFileW(path.c_str());

  Win32DiagnosticLog off(u"");
  checks.Expect(!off.Enabled(), "a log without a file is off");
  off.Line("dropped");  // must not fail
  Win32DiagnosticLog missingFolder(u"Z:\\no\\such\\folder\\log.txt");
  checks.Expect(!missingFolder.Enabled(), "a log whose file cannot be made is off");
}

void WhereTheLogGoes(Checks& checks) {
  Win32SystemPort system;
  Win32RegistryPort registry;
  const std::wstring keyPath(reinterpret_cast<const wchar_t*>(kMonitorSettingsKey));
  RegDeleteKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), KEY_WOW64_32KEY, 0);
  SetEnvironmentVariableW(L"QUILL_MONITOR_LOG", nullptr);

  std::u16string path = u"unchanged";
  checks.Expect(!FindDiagnosticLogPath(system, registry, &path) && path == u"unchanged",
                "without the variable and the value there is no log");

  SetEnvironmentVariableW(L"QUILL_MONITOR_LOG", L"C:\\from-env.log");
  checks.Expect(FindDiagnosticLogPath(system, registry, &path) && path == u"C:\\from-env.log",
                "the variable names the log file");

  registry.CreateKey(RegistryRoot::kCurrentUser, kMonitorSettingsKey);
  const std::u16string stored = u"C:\\from-registry.log";
  std::vector<uint8_t> bytes(reinterpret_cast<const uint8_t*>(stored.data()),
                             reinterpret_cast<const uint8_t*>(stored.data() + stored.size()));
  registry.WriteValue(RegistryRoot::kCurrentUser, kMonitorSettingsKey, kDiagnosticLogValue, kRegSz,
                      bytes);
  checks.Expect(FindDiagnosticLogPath(system, registry, &path) && path == u"C:\\from-env.log",
                "the variable wins over the registry value");

  SetEnvironmentVariableW(L"QUILL_MONITOR_LOG", L"");
  checks.Expect(FindDiagnosticLogPath(system, registry, &path) && path == stored,
                "an empty variable leaves the registry value (stored without terminator)");
  SetEnvironmentVariableW(L"QUILL_MONITOR_LOG", nullptr);
  bytes.insert(bytes.end(), {0, 0, 'x', 0});
  registry.WriteValue(RegistryRoot::kCurrentUser, kMonitorSettingsKey, kDiagnosticLogValue, kRegSz,
                      bytes);
  checks.Expect(FindDiagnosticLogPath(system, registry, &path) && path == stored,
                "the registry text ends at its terminator");

  HKEY key = nullptr;
  const bool in32 = RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0,
                                  KEY_QUERY_VALUE | KEY_WOW64_32KEY, &key) == ERROR_SUCCESS;
  if (key != nullptr) RegCloseKey(key);
  checks.Expect(in32, "the settings key is read in the 32-bit view");

  registry.WriteValue(RegistryRoot::kCurrentUser, kMonitorSettingsKey, kDiagnosticLogValue,
                      kRegDword, {1, 0, 0, 0});
  checks.Expect(!FindDiagnosticLogPath(system, registry, &path),
                "a value that is not REG_SZ names no file");
  RegDeleteKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), KEY_WOW64_32KEY, 0);
}

}  // namespace

void RunLogChecks(Checks& checks) {
  checks.Group("diagnostic log");
  LineFormat(checks);
  AppendedAndFlushed(checks);
  WhereTheLogGoes(checks);
}

}  // namespace quill
