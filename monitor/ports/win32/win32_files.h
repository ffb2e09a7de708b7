// File existence as the monitor probes it: two CreateFileW modes and
// PathFileExistsW.
#pragma once

#include "ports/monitor_ports.h"

namespace quill {

class Win32FilePort : public FilePort {
 public:
  bool OpensForReadingUnshared(const std::u16string& path) override;
  bool OpensWithoutAccess(const std::u16string& path) override;
  bool PathExists(const std::u16string& path) override;
};

}  // namespace quill
