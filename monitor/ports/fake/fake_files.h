// In-memory files for tests: three sets of paths, one per way the monitor
// opens or looks at a file, compared exactly. AddFile puts a path in all
// three (a plain file nobody holds open); a file held open by another program
// is in `withoutAccess` and `existing` but not in `unshared`.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "ports/monitor_ports.h"

namespace quill::fake {

class FakeFiles : public FilePort {
 public:
  bool OpensForReadingUnshared(const std::u16string& path) override {
    asked.push_back(path);
    return unshared.count(path) != 0;
  }
  bool OpensWithoutAccess(const std::u16string& path) override {
    asked.push_back(path);
    return withoutAccess.count(path) != 0;
  }
  bool PathExists(const std::u16string& path) override {
    asked.push_back(path);
    return existing.count(path) != 0;
  }

  void AddFile(const std::u16string& path);
  void RemoveFile(const std::u16string& path);

  std::set<std::u16string> unshared;       // open for reading without sharing
  std::set<std::u16string> withoutAccess;  // open with no access, sharing allowed
  std::set<std::u16string> existing;       // PathFileExistsW says yes
  std::vector<std::u16string> asked;       // every path asked about, in order
};

}  // namespace quill::fake
