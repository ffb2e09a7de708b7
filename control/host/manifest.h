// The native-messaging manifests: one form for the Chromium family, one for
// Firefox.
#pragma once

#include <string>

namespace quill::host {

enum class ManifestForm { kChromium, kFirefox };

// The manifest text (JSON, UTF-8) for the host at hostPath (absolute).
std::string HostManifest(ManifestForm form, const std::string& hostPath);

// "com.quill.host.json": the file name the Linux browsers look up.
std::string ManifestFileName();

}  // namespace quill::host
