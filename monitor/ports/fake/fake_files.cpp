#include "fake_files.h"

namespace quill::fake {

void FakeFiles::AddFile(const std::u16string& path) {
  unshared.insert(path);
  withoutAccess.insert(path);
  existing.insert(path);
}

void FakeFiles::RemoveFile(const std::u16string& path) {
  unshared.erase(path);
  withoutAccess.erase(path);
  existing.erase(path);
}

}  // namespace quill::fake
