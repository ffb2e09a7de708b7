// Registration on Linux: a manifest file per browser under the user's home
// folder. Chromium, Chrome and Edge read the same form; Firefox its own.
#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host_platform.h"
#include "manifest.h"
#include "registration.h"

namespace quill::host {
namespace {

struct ManifestPlace {
  const char* folder;  // below the home folder
  ManifestForm form;
};

constexpr ManifestPlace kPlaces[] = {
    {".config/google-chrome/NativeMessagingHosts", ManifestForm::kChromium},
    {".config/chromium/NativeMessagingHosts", ManifestForm::kChromium},
    {".config/microsoft-edge/NativeMessagingHosts", ManifestForm::kChromium},
    {".mozilla/native-messaging-hosts", ManifestForm::kFirefox},
};

std::string Reason() {
  return std::strerror(errno);
}

// mkdir -p below an existing base folder.
bool MakeFolders(const std::string& base, const std::string& relative, std::string* error) {
  std::string path = base;
  size_t start = 0;
  while (start < relative.size()) {
    const size_t slash = relative.find('/', start);
    const size_t end = slash == std::string::npos ? relative.size() : slash;
    path += "/" + relative.substr(start, end - start);
    if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
      *error = path + ": " + Reason();
      return false;
    }
    start = end + 1;
  }
  return true;
}

// Writes the file whole or not at all: a temporary beside it, then a rename.
bool WriteWhole(const std::string& path, const std::string& text, std::string* error) {
  const std::string temporary = path + ".tmp" + std::to_string(getpid());
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) {
    *error = temporary + ": " + Reason();
    return false;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed || chmod(temporary.c_str(), 0644) != 0 ||
      std::rename(temporary.c_str(), path.c_str()) != 0) {
    *error = path + ": " + Reason();
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace

bool RegisterHost(RegistrationAction action, std::vector<std::string>* done,
                  std::vector<std::string>* failed) {
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    failed->push_back("HOME is not set");
    return false;
  }
  const std::string hostPath = HostExecutablePath();
  if (action == RegistrationAction::kInstall && hostPath.empty()) {
    failed->push_back("the path of quill-host cannot be found");
    return false;
  }
  bool ok = true;
  for (const ManifestPlace& place : kPlaces) {
    const std::string path = std::string(home) + "/" + place.folder + "/" + ManifestFileName();
    std::string error;
    if (action == RegistrationAction::kInstall) {
      if (MakeFolders(home, place.folder, &error) &&
          WriteWhole(path, HostManifest(place.form, hostPath), &error)) {
        done->push_back("wrote " + path);
        continue;
      }
    } else {
      if (unlink(path.c_str()) == 0) {
        done->push_back("removed " + path);
        continue;
      }
      if (errno == ENOENT) continue;
      error = path + ": " + Reason();
    }
    failed->push_back(error);
    ok = false;
  }
  return ok;
}

}  // namespace quill::host
