// quill.d.ts type-checks and types a page's calls as the members are.

import { test } from "node:test";
import assert from "node:assert/strict";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { spawnSync } from "node:child_process";
import { pageLibraryFolder, sourceRoot } from "./support/page_library.mjs";

const tsc = path.join(sourceRoot, "browser/node_modules/typescript/bin/tsc");

test("a page written against quill.d.ts compiles, and misuse does not", () => {
  assert.ok(fs.existsSync(tsc), `${tsc} is missing: the build installs it (npm ci in browser/)`);
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), "quill-types-"));
  fs.copyFileSync(path.join(pageLibraryFolder(), "quill.d.ts"), path.join(folder, "quill.d.ts"));
  fs.copyFileSync(path.join(sourceRoot, "browser/tests/fixtures/page-usage.ts"), path.join(folder, "page-usage.ts"));
  let result;
  try {
    result = spawnSync(
      process.execPath,
      [
        tsc,
        "--noEmit",
        "--strict",
        "--target",
        "es2022",
        "--module",
        "es2022",
        "--moduleResolution",
        "bundler",
        "--lib",
        "es2022,dom",
        path.join(folder, "page-usage.ts"),
      ],
      { encoding: "utf8" },
    );
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
  assert.equal(result.status, 0, result.stdout + result.stderr);
});
