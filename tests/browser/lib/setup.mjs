// What a browser test needs from the build, the native-messaging manifests
// that point a throw-away profile at quill-host, and the machine policy file.
import fs from "node:fs";
import path from "node:path";
import { fileURLToPath } from "node:url";

export const pagesFolder = path.join(path.dirname(fileURLToPath(import.meta.url)), "..", "pages");
export const hostName = "com.quill.host";

function required(name) {
  const value = process.env[name];
  if (!value) throw new Error(`${name} is not set (the ctest registration sets it)`);
  return value;
}

// Paths from the environment that tests/browser/CMakeLists.txt sets.
export function buildOutputs() {
  const browserDir = required("QUILL_BROWSER_DIR"); // the build's browser/ folder
  const ids = JSON.parse(fs.readFileSync(path.join(browserDir, "extension-ids.json"), "utf8"));
  return {
    host: required("QUILL_HOST"),
    vtoken: required("QUILL_VTOKEN"),
    chromeExtension: path.join(browserDir, "chrome"),
    firefoxExtension: path.join(browserDir, "firefox"),
    firefoxPackage: path.join(browserDir, "lumoPlugin.xpi"),
    quillJs: path.join(browserDir, "quill.js"),
    chromeId: ids.chrome,
    firefoxId: ids.firefox,
    screenshots: process.env.QUILL_SCREENSHOTS_DIR ?? path.join(browserDir, "..", "browser-screenshots"),
  };
}

// The host's manifest in `folder`; `allowed` names the extensions that may
// start it, in the browser's own field.
function writeHostManifest(folder, hostPath, allowed) {
  fs.mkdirSync(folder, { recursive: true });
  const manifest = {
    name: hostName,
    description: "Quill token host (browser test)",
    path: hostPath,
    type: "stdio",
    ...allowed,
  };
  fs.writeFileSync(path.join(folder, `${hostName}.json`), JSON.stringify(manifest, null, 2));
}

// The host manifest in a Chromium --user-data-dir (its per-user folder).
export function writeChromiumHostManifest(userDataDir, hostPath, extensionId) {
  writeHostManifest(path.join(userDataDir, "NativeMessagingHosts"), hostPath, {
    allowed_origins: [`chrome-extension://${extensionId}/`],
  });
}

// The host manifest under a HOME given to Firefox.
export function writeFirefoxHostManifest(home, hostPath, addonId) {
  writeHostManifest(path.join(home, ".mozilla", "native-messaging-hosts"), hostPath, {
    allowed_extensions: [addonId],
  });
}

// The machine policy the host reads at every request (QUILL_POLICY_FILE).
export function writePolicy(file, { allowed = [], forbidden = [] }) {
  const temporary = `${file}.tmp`;
  fs.writeFileSync(temporary, JSON.stringify({ allowedOrigins: allowed, forbiddenOrigins: forbidden }));
  fs.renameSync(temporary, file);
}
