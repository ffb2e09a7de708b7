#include "manifest.h"

#include <nlohmann/json.hpp>

#include "extension_ids.h"

namespace quill::host {

std::string HostManifest(ManifestForm form, const std::string& hostPath) {
  nlohmann::ordered_json manifest = {
      {"name", kHostName},
      {"description", kHostDescription},
      {"path", hostPath},
      {"type", "stdio"},
  };
  if (form == ManifestForm::kChromium) {
    manifest["allowed_origins"] = {std::string("chrome-extension://") + kChromeExtensionId + "/"};
  } else {
    manifest["allowed_extensions"] = {kFirefoxExtensionId};
  }
  return manifest.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::string ManifestFileName() {
  return std::string(kHostName) + ".json";
}

}  // namespace quill::host
