#include "diagnostic_log_setting.h"

#include <cstdio>
#include <vector>

namespace quill {

const char16_t kDiagnosticLogVariable[] = u"QUILL_MONITOR_LOG";
const char16_t kMonitorSettingsKey[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats\\"
    u"{6AAEEBD3-838D-4A35-9571-26EFC79882ED}\\monitor";
const char16_t kDiagnosticLogValue[] = u"DiagnosticLog";

namespace {

// Room for a long path and its terminator.
constexpr size_t kLogPathBytes = 2 * 1024;

// A REG_SZ value's text: its UTF-16 units up to the first terminator (a
// value may be stored with or without one, or with an odd byte count).
std::u16string TextOfValue(const std::vector<uint8_t>& data) {
  std::u16string text;
  for (size_t i = 0; i + 1 < data.size(); i += 2) {
    const char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0) break;
    text.push_back(unit);
  }
  return text;
}

}  // namespace

bool FindDiagnosticLogPath(SystemPort& system, RegistryPort& registry, std::u16string* path) {
  std::u16string named;
  if (system.GetEnvironment(kDiagnosticLogVariable, &named) && !named.empty()) {
    *path = named;
    return true;
  }
  uint32_t type = 0;
  std::vector<uint8_t> data;
  if (registry.ReadValue(RegistryRoot::kCurrentUser, kMonitorSettingsKey, kDiagnosticLogValue,
                         kLogPathBytes, &type, &data) != RegistryRead::kOk ||
      type != kRegSz) {
    return false;
  }
  named = TextOfValue(data);
  if (named.empty()) return false;
  *path = named;
  return true;
}

std::string FormatLogLine(const LogTime& time, const std::string& text) {
  char stamp[32] = {};
  std::snprintf(stamp, sizeof(stamp), "%04d-%02d-%02d %02d:%02d:%02d.%03d ", time.year % 10000,
                time.month % 100, time.day % 100, time.hour % 100, time.minute % 100,
                time.second % 100, time.millisecond % 1000);
  std::string line(stamp);
  line += text;
  line += '\n';
  return line;
}

}  // namespace quill
