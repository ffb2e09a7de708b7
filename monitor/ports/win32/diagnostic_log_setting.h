// Where the support log goes: the file named by the environment variable
// QUILL_MONITOR_LOG, or else by the REG_SZ value "DiagnosticLog" of the
// monitor's settings key (current user, read like every other registry
// access of the monitor). No file named: no log.
#pragma once

#include <string>

#include "ports/monitor_ports.h"

namespace quill {

extern const char16_t kDiagnosticLogVariable[];
extern const char16_t kMonitorSettingsKey[];
extern const char16_t kDiagnosticLogValue[];

// True with *path set when a log file is configured.
bool FindDiagnosticLogPath(SystemPort& system, RegistryPort& registry, std::u16string* path);

// One line as the log file holds it: local time "YYYY-MM-DD HH:MM:SS.mmm ",
// the text, a line feed.
struct LogTime {
  int year, month, day, hour, minute, second, millisecond;
};
std::string FormatLogLine(const LogTime& time, const std::string& text);

}  // namespace quill
