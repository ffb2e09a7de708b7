// Whether a process runs, by the start of its executable's name.
#include <vector>

#include "system_helper.h"

namespace quill {

int CSystemHelper::IsProcessRunning(const std::u16string& executableName) {
  std::vector<std::u16string> names;
  // Without a snapshot nobody can tell: the process is treated as running.
  if (!ports_.processes->ProcessNames(&names)) return 1;
  int count = 0;
  for (const std::u16string& name : names) {
    if (name.compare(0, executableName.size(), executableName) == 0) ++count;
  }
  return count > 0 ? 1 : 0;
}

}  // namespace quill
