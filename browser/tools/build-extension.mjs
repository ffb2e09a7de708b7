// Builds the extension from browser/extension/ into OUT:
//   chrome/              the unpacked Chrome extension (manifest with "key")
//   firefox/             the unpacked Firefox extension
//   lumoPlugin.crx       chrome/ as a signed CRX3 package
//   lumoPlugin.xpi       firefox/ as a zip
//   extension-ids.json   {"chrome": ID, "firefox": ID}
// Two runs over the same sources and key give the same bytes.
//
//   node build-extension.mjs --source DIR --out DIR --key KEY.pem
//        --version X.Y.Z --firefox-id ID [--expect-chrome-id ID]

import fs from "node:fs";
import path from "node:path";
import crypto from "node:crypto";
import { parseArgs } from "node:util";
import { makeZip } from "./zip.mjs";
import { packCrx3, extensionId } from "./crx3.mjs";
import { quillIcon } from "./icons.mjs";

const { values: options } = parseArgs({
  options: {
    source: { type: "string" },
    out: { type: "string" },
    key: { type: "string" },
    version: { type: "string" },
    "firefox-id": { type: "string" },
    "expect-chrome-id": { type: "string" },
  },
});
for (const name of ["source", "out", "key", "version", "firefox-id"]) {
  if (!options[name]) throw new Error(`build-extension: --${name} is required`);
}

// Files of the source tree by relative path, manifests and tests left out.
function sourceFiles(root) {
  const files = new Map();
  const walk = (folder) => {
    for (const entry of fs.readdirSync(path.join(root, folder), { withFileTypes: true })) {
      const relative = folder ? `${folder}/${entry.name}` : entry.name;
      if (entry.isDirectory()) walk(relative);
      else if (!/^manifest\..*\.json$/.test(relative)) files.set(relative, fs.readFileSync(path.join(root, relative)));
    }
  };
  walk("");
  return files;
}

function writeTree(folder, files) {
  fs.rmSync(folder, { recursive: true, force: true });
  for (const [name, data] of files) {
    const target = path.join(folder, name);
    fs.mkdirSync(path.dirname(target), { recursive: true });
    fs.writeFileSync(target, data);
  }
}

// Written whole or not at all: a reader never sees half a package.
function writeAtomically(file, data) {
  const temporary = `${file}.tmp`;
  fs.writeFileSync(temporary, data);
  fs.renameSync(temporary, file);
}

const readManifest = (name) => JSON.parse(fs.readFileSync(path.join(options.source, name), "utf8"));
const json = (value) => Buffer.from(`${JSON.stringify(value, null, 2)}\n`);

const privateKeyPem = fs.readFileSync(options.key);
const publicKey = crypto.createPublicKey(privateKeyPem).export({ type: "spki", format: "der" });
const chromeId = extensionId(publicKey);
if (options["expect-chrome-id"] && options["expect-chrome-id"] !== chromeId) {
  throw new Error(`the key gives the id ${chromeId}, the build expects ${options["expect-chrome-id"]}`);
}

const common = sourceFiles(options.source);
for (const size of [16, 48, 128]) common.set(`icons/quill-${size}.png`, quillIcon(size));

const chromeManifest = {
  ...readManifest("manifest.chrome.json"),
  version: options.version,
  key: publicKey.toString("base64"),
};
const chromeFiles = new Map([...common].filter(([name]) => name !== "background.html"));
chromeFiles.set("manifest.json", json(chromeManifest));

const firefoxManifest = readManifest("manifest.firefox.json");
firefoxManifest.version = options.version;
firefoxManifest.browser_specific_settings.gecko.id = options["firefox-id"];
const firefoxFiles = new Map(common);
firefoxFiles.set("manifest.json", json(firefoxManifest));

const toEntries = (files) => [...files].map(([name, data]) => ({ name, data }));
fs.mkdirSync(options.out, { recursive: true });
writeTree(path.join(options.out, "chrome"), chromeFiles);
writeTree(path.join(options.out, "firefox"), firefoxFiles);
writeAtomically(path.join(options.out, "lumoPlugin.crx"), packCrx3(makeZip(toEntries(chromeFiles)), privateKeyPem));
writeAtomically(path.join(options.out, "lumoPlugin.xpi"), makeZip(toEntries(firefoxFiles)));
writeAtomically(
  path.join(options.out, "extension-ids.json"),
  json({ chrome: chromeId, firefox: options["firefox-id"] }),
);
