#include "diagnostic_line.h"

namespace quill {

void WriteDiagnosticLine(DiagnosticLogPort* log, const std::string& line) {
  if (log != nullptr) log->Line(line);
}

}  // namespace quill
