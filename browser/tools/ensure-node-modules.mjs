// Installs browser/package-lock.json's packages into browser/node_modules
// with "npm ci", unless they are installed already. Several build folders
// share the one node_modules: a lock folder keeps two installs apart, and an
// install that is up to date is left alone (a running test may be using it).
//
//   node ensure-node-modules.mjs PACKAGE_DIR STAMP_FILE

import fs from "node:fs";
import path from "node:path";
import { spawnSync } from "node:child_process";

const [packageDir, stampFile] = process.argv.slice(2);
if (!packageDir || !stampFile) throw new Error("usage: ensure-node-modules.mjs PACKAGE_DIR STAMP_FILE");
const lockFile = path.join(packageDir, "package-lock.json");
const installed = path.join(packageDir, "node_modules", ".package-lock.json");
const lockFolder = path.join(packageDir, ".npm-ci.lock");

// True when every package the lock file names is installed at its version.
function upToDate() {
  if (!fs.existsSync(installed)) return false;
  const wanted = JSON.parse(fs.readFileSync(lockFile, "utf8")).packages ?? {};
  const have = JSON.parse(fs.readFileSync(installed, "utf8")).packages ?? {};
  return Object.entries(wanted).every(([name, entry]) => name === "" || have[name]?.version === entry.version);
}

function sleep(ms) {
  Atomics.wait(new Int32Array(new SharedArrayBuffer(4)), 0, 0, ms);
}

const deadline = Date.now() + 10 * 60 * 1000;
for (;;) {
  try {
    fs.mkdirSync(lockFolder);
    break;
  } catch (error) {
    if (error.code !== "EEXIST") throw error;
    // A lock older than the longest install was left by a killed build.
    const age = Date.now() - fs.statSync(lockFolder, { throwIfNoEntry: false })?.mtimeMs;
    if (age > 10 * 60 * 1000) fs.rmSync(lockFolder, { recursive: true, force: true });
    if (Date.now() > deadline) throw new Error(`${lockFolder}: another npm ci does not finish`);
    sleep(500);
  }
}
try {
  if (!upToDate()) {
    const npm = process.platform === "win32" ? "npm.cmd" : "npm";
    const result = spawnSync(npm, ["ci", "--no-audit", "--no-fund"], { cwd: packageDir, stdio: "inherit" });
    if (result.status !== 0) throw new Error(`npm ci failed in ${packageDir}`);
  }
} finally {
  fs.rmSync(lockFolder, { recursive: true, force: true });
}
fs.mkdirSync(path.dirname(stampFile), { recursive: true });
fs.writeFileSync(stampFile, "");
