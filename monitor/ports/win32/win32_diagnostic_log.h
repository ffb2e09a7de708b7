// The support log file: each line is appended with its time stamp and
// flushed at once, so a line survives whatever happens next. Other
// processes may read the file meanwhile.
#pragma once

#include <windows.h>

#include "ports/monitor_ports.h"

namespace quill {

class Win32DiagnosticLog : public DiagnosticLogPort {
 public:
  // An empty path, or a file that does not open, gives a log that is off.
  explicit Win32DiagnosticLog(const std::u16string& path);
  ~Win32DiagnosticLog() override;
  Win32DiagnosticLog(const Win32DiagnosticLog&) = delete;
  Win32DiagnosticLog& operator=(const Win32DiagnosticLog&) = delete;

  bool Enabled() override;
  void Line(const std::string& text) override;

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
};

}  // namespace quill
