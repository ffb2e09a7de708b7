// File tests and the monitor's own folder.
#include "helper_constants.h"
#include "system_helper.h"

namespace quill {

namespace {

// The conversion buffer of FileExistsAnsi holds this many bytes, terminator
// included.
constexpr size_t kAnsiPathBytes = 1024;

}  // namespace

int CSystemHelper::FileExists(const std::u16string& path) {
  return ports_.files->OpensForReadingUnshared(path) ? 1 : 0;
}

int CSystemHelper::FileExistsAnsi(const std::u16string& path) {
  const std::string narrow = ports_.text->ToNarrow(CodePage::kThreadAnsi, path);
  // A path whose 8-bit form does not fit the buffer would be tested cut:
  // it is reported missing instead.
  if (narrow.size() >= kAnsiPathBytes) return 0;
  return FileExists(ports_.text->ToWide(CodePage::kAnsi, narrow));
}

bool CSystemHelper::MonitorDirectory(std::u16string* directory) {
  const std::u16string module = ports_.system->ModuleFileName();
  // A module path that fills the whole 260-character buffer may have been
  // cut: no folder is derived from it.
  if (module.size() >= helper::kMaxPathCharacters) return false;
  const size_t lastBackslash = module.rfind(u'\\');
  if (lastBackslash == std::u16string::npos) return false;
  *directory = module.substr(0, lastBackslash);
  return true;
}

bool CSystemHelper::PathBelowMonitor(const std::u16string& relative, std::u16string* path) {
  std::u16string directory;
  if (!MonitorDirectory(&directory)) return false;
  std::u16string joined = directory + relative;
  if (joined.size() > helper::kMaxPathCharacters) return false;
  *path = std::move(joined);
  return true;
}

}  // namespace quill
