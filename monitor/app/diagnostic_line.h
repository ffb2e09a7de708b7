// Writing the support log's lines: nothing when no log port is given. Wide
// texts (device paths, command lines) go in as UTF-8 (Utf16ToUtf8, utf8.h).
#pragma once

#include <string>

#include "ports/monitor_ports.h"

namespace quill {

void WriteDiagnosticLine(DiagnosticLogPort* log, const std::string& line);
inline const char* YesNo(bool value) {
  return value ? "yes" : "no";
}

}  // namespace quill
