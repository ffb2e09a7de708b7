// quill-host --install / --uninstall: the host's manifests for the current
// user, in each browser's documented place. One implementation per platform
// (registration_linux.cpp: manifest files under the home folder;
// registration_win32.cpp: manifest files and the browsers' registry keys).
#pragma once

#include <string>
#include <vector>

namespace quill::host {

enum class RegistrationAction { kInstall, kUninstall };

// Each step done goes to done (one line each), each failure to failed;
// returns true when nothing failed.
bool RegisterHost(RegistrationAction action, std::vector<std::string>* done,
                  std::vector<std::string>* failed);

}  // namespace quill::host
