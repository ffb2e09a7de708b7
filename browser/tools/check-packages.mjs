// Checks the extension's packages and prints the ids they carry:
//   the .crx parses as CRX3, its signature verifies, its id is derived from
//   its key; the .xpi is a sound zip whose manifest names the add-on id.
// With --ids, both must match extension-ids.json; with --home, the
// native-messaging manifests quill-host installed under that home folder
// must allow exactly those ids.
//
//   node check-packages.mjs --crx F.crx --xpi F.xpi [--ids ids.json] [--home DIR]
// Exit status 0 when everything matches, 1 with a line per problem.

import fs from "node:fs";
import path from "node:path";
import { parseArgs } from "node:util";
import { parseCrx3 } from "./crx3.mjs";
import { readZip } from "./zip.mjs";

const HOST_MANIFEST = "com.quill.host.json";
const CHROMIUM_FOLDERS = [
  ".config/google-chrome/NativeMessagingHosts",
  ".config/chromium/NativeMessagingHosts",
  ".config/microsoft-edge/NativeMessagingHosts",
];
const FIREFOX_FOLDER = ".mozilla/native-messaging-hosts";

function manifestOf(entries, what) {
  const entry = entries.find((e) => e.name === "manifest.json");
  if (!entry) throw new Error(`${what} has no manifest.json`);
  return JSON.parse(entry.data.toString("utf8"));
}

// {chrome, firefox, problems}
export function checkPackages({ crx, xpi, ids, home }) {
  const problems = [];
  const found = {};
  try {
    const parsed = parseCrx3(fs.readFileSync(crx));
    found.chrome = parsed.id;
    const manifest = manifestOf(readZip(parsed.zip), crx);
    if (manifest.manifest_version !== 3) problems.push(`${crx}: manifest_version ${manifest.manifest_version}, not 3`);
  } catch (error) {
    problems.push(`${crx}: ${error.message}`);
  }
  try {
    const manifest = manifestOf(readZip(fs.readFileSync(xpi)), xpi);
    found.firefox = manifest.browser_specific_settings?.gecko?.id;
    if (!found.firefox) problems.push(`${xpi}: the manifest names no gecko id`);
  } catch (error) {
    problems.push(`${xpi}: ${error.message}`);
  }
  if (ids) {
    const expected = JSON.parse(fs.readFileSync(ids, "utf8"));
    for (const browser of ["chrome", "firefox"]) {
      if (expected[browser] !== found[browser]) {
        problems.push(`${ids}: ${browser} id ${expected[browser]}, the package has ${found[browser]}`);
      }
    }
  }
  if (home) {
    const read = (folder) => JSON.parse(fs.readFileSync(path.join(home, folder, HOST_MANIFEST), "utf8"));
    for (const folder of CHROMIUM_FOLDERS) {
      try {
        const allowed = JSON.stringify(read(folder).allowed_origins);
        const wanted = JSON.stringify([`chrome-extension://${found.chrome}/`]);
        if (allowed !== wanted) problems.push(`${folder}: allowed_origins ${allowed}, not ${wanted}`);
      } catch (error) {
        problems.push(`${folder}: ${error.message}`);
      }
    }
    try {
      const allowed = JSON.stringify(read(FIREFOX_FOLDER).allowed_extensions);
      const wanted = JSON.stringify([found.firefox]);
      if (allowed !== wanted) problems.push(`${FIREFOX_FOLDER}: allowed_extensions ${allowed}, not ${wanted}`);
    } catch (error) {
      problems.push(`${FIREFOX_FOLDER}: ${error.message}`);
    }
  }
  return { ...found, problems };
}

if (import.meta.url === `file://${process.argv[1]}`) {
  const { values } = parseArgs({
    options: { crx: { type: "string" }, xpi: { type: "string" }, ids: { type: "string" }, home: { type: "string" } },
  });
  if (!values.crx || !values.xpi) {
    console.error("usage: check-packages.mjs --crx F.crx --xpi F.xpi [--ids ids.json] [--home DIR]");
    process.exit(2);
  }
  const result = checkPackages(values);
  console.log(`chrome id: ${result.chrome ?? "?"}\nfirefox id: ${result.firefox ?? "?"}`);
  for (const problem of result.problems) console.error(problem);
  process.exit(result.problems.length === 0 ? 0 : 1);
}
