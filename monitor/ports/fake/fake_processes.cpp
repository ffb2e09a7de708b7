#include "fake_processes.h"

namespace quill::fake {

bool FakeProcesses::Start(const std::u16string& commandLine) {
  started.push_back(commandLine);
  return startSucceeds;
}

intptr_t FakeProcesses::ShellOpen(const std::u16string& file, const std::u16string& parameters,
                                  int showCommand) {
  shellOpens.push_back(ShellOpenCall{file, parameters, showCommand});
  return shellOpenResult;
}

bool FakeProcesses::ProcessNames(std::vector<std::u16string>* names) {
  ++snapshots;
  if (!snapshotSucceeds) return false;
  if (names != nullptr) *names = running;
  return true;
}

}  // namespace quill::fake
