// Recording process starts for tests: the command lines given to Start and
// the ShellOpen calls, with scripted results and a scripted process list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ports/monitor_ports.h"

namespace quill::fake {

class FakeProcesses : public ProcessPort {
 public:
  struct ShellOpenCall {
    std::u16string file;
    std::u16string parameters;
    int showCommand;
  };

  bool Start(const std::u16string& commandLine) override;
  intptr_t ShellOpen(const std::u16string& file, const std::u16string& parameters,
                     int showCommand) override;
  bool ProcessNames(std::vector<std::u16string>* names) override;

  bool startSucceeds = true;
  intptr_t shellOpenResult = 42;  // above 32: started
  bool snapshotSucceeds = true;
  std::vector<std::u16string> running;  // the process names
  std::vector<std::u16string> started;  // every Start command line, in order
  std::vector<ShellOpenCall> shellOpens;
  int snapshots = 0;
};

}  // namespace quill::fake
