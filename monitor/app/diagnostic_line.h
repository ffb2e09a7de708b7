// Writing the support log's lines: nothing when no log port is given, and
// wide texts (device paths, command lines) as UTF-8.
#pragma once

#include <string>

#include "ports/monitor_ports.h"

namespace quill {

void WriteDiagnosticLine(DiagnosticLogPort* log, const std::string& line);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string DiagnosticUtf8(const std::u16string& text);
inline const char* YesNo(bool value) {
  return value ? "yes" : "no";
}

}  // namespace quill
