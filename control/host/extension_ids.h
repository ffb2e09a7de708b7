// The host's name and the browser extension that may start it: the only
// callers its manifests allow.
#pragma once

namespace quill::host {

// The native-messaging name: lowercase, dot-separated.
constexpr char kHostName[] = "com.quill.host";
constexpr char kHostDescription[] = "Quill token control";

// The extension as the Chrome Web Store lists it (also installed from there
// into Chromium and Edge): 32 letters a to p.
constexpr char kChromeExtensionId[] = "jfgbhkbhkcfogijgoheendkgaicaokfn";
// The extension as addons.mozilla.org lists it.
constexpr char kFirefoxExtensionId[] = "quill-extension@quill-token.org";

}  // namespace quill::host
