// Where the tests find the generated page library: the build's
// (QUILL_BROWSER_OUT), or one generated here from members.def.

import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { spawnSync } from "node:child_process";
import { fileURLToPath } from "node:url";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../../..");

export function pageLibraryFolder() {
  if (process.env.QUILL_BROWSER_OUT) return process.env.QUILL_BROWSER_OUT;
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), "quill-page-library-"));
  const result = spawnSync("cmake", [
    `-DDEFINITION=${root}/control/members.def`,
    `-DTEMPLATE_DIR=${root}/browser/page-library`,
    `-DOUTPUT_DIR=${folder}`,
    "-P",
    `${root}/cmake/generate_page_library.cmake`,
  ]);
  if (result.status !== 0) throw new Error(`generate_page_library.cmake failed: ${result.stderr}`);
  process.on("exit", () => fs.rmSync(folder, { recursive: true, force: true }));
  return folder;
}

export const sourceRoot = root;
