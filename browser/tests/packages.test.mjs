// The packages: CRX3 and zip formats, the ids they carry against the ids
// quill-host's manifests allow, and builds that give the same bytes twice.

import { after, test } from "node:test";
import assert from "node:assert/strict";
import crypto from "node:crypto";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { spawnSync } from "node:child_process";
import { makeZip, readZip } from "../tools/zip.mjs";
import { extensionId, packCrx3, parseCrx3 } from "../tools/crx3.mjs";
import { checkPackages } from "../tools/check-packages.mjs";
import { sourceRoot } from "./support/page_library.mjs";

const out = process.env.QUILL_BROWSER_OUT;
const host = process.env.QUILL_HOST;
const buildTool = path.join(sourceRoot, "browser/tools/build-extension.mjs");
const checker = path.join(sourceRoot, "browser/tools/check-packages.mjs");

const temporaryFolders = [];
const temporaryFolder = (name) => {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), `quill-${name}-`));
  temporaryFolders.push(folder);
  return folder;
};
after(() => {
  for (const folder of temporaryFolders) fs.rmSync(folder, { recursive: true, force: true });
});

function testKey() {
  const { privateKey } = crypto.generateKeyPairSync("rsa", { modulusLength: 2048 });
  return privateKey.export({ type: "pkcs8", format: "pem" });
}

test("zip: entries sorted, fixed times, read back whole; corruption is caught", () => {
  const entries = [
    { name: "b/second.txt", data: Buffer.from("second") },
    { name: "a.json", data: Buffer.from("{}\n".repeat(1000)) },
    { name: "empty", data: Buffer.alloc(0) },
  ];
  const zip = makeZip(entries);
  assert.deepEqual(makeZip([...entries].reverse()), zip, "the order of the input does not matter");
  const read = readZip(zip);
  assert.deepEqual(
    read.map((e) => e.name),
    ["a.json", "b/second.txt", "empty"],
  );
  assert.deepEqual(read[0].data, entries[1].data);
  assert.equal(read[2].data.length, 0);

  const unzip = spawnSync("unzip", ["-t", "-"], { input: zip });
  if (unzip.status !== null && !unzip.error) {
    const folder = temporaryFolder("zip");
    fs.writeFileSync(path.join(folder, "t.zip"), zip);
    const listed = spawnSync("unzip", ["-Z", "-T", path.join(folder, "t.zip")], { encoding: "utf8" });
    assert.match(listed.stdout, /19800101\.000000 a\.json/, "the fixed time is what unzip sees");
  }

  const damaged = Buffer.from(zip);
  damaged[40] ^= 0xff;
  assert.throws(() => readZip(damaged), /CRC|invalid|incorrect/i);
});

test("CRX3: the id comes from the key, the signature covers the contents", () => {
  const key = testKey();
  const zip = makeZip([{ name: "manifest.json", data: Buffer.from("{}") }]);
  const crx = packCrx3(zip, key);
  assert.equal(crx.subarray(0, 4).toString(), "Cr24");
  assert.equal(crx.readUInt32LE(4), 3);
  const parsed = parseCrx3(crx);
  const publicDer = crypto.createPublicKey(key).export({ type: "spki", format: "der" });
  assert.equal(parsed.id, extensionId(publicDer));
  assert.match(parsed.id, /^[a-p]{32}$/);
  assert.deepEqual(parsed.zip, zip);

  // The header as Chrome reads it, byte by byte: field 2 (the RSA proof)
  // holding public_key = 1 and signature = 2, then field 10000 holding
  // SignedData { crx_id = 1 }: the first 16 bytes of the key's SHA-256.
  const twoByteVarint = (n) => [(n & 0x7f) | 0x80, n >> 7];
  const header = crx.subarray(12, 12 + crx.readUInt32LE(8));
  const signatureAt = 3 + 1 + 2 + publicDer.length + 3;
  const signature = header.subarray(signatureAt, signatureAt + 256);
  const crxId = crypto.createHash("sha256").update(publicDer).digest().subarray(0, 16);
  const signedData = Buffer.concat([Buffer.from([0x0a, 16]), crxId]);
  const proofLength = 1 + 2 + publicDer.length + 3 + 256;
  assert.deepEqual(
    header,
    Buffer.concat([
      Buffer.from([0x12, ...twoByteVarint(proofLength), 0x0a, ...twoByteVarint(publicDer.length)]),
      publicDer,
      Buffer.from([0x12, ...twoByteVarint(256)]),
      signature,
      Buffer.from([0x82, 0xf1, 0x04, signedData.length]),
      signedData,
    ]),
  );
  // What is signed: "CRX3 SignedData", a NUL, the SignedData's length
  // (LE32), the SignedData, the zip.
  const length = Buffer.alloc(4);
  length.writeUInt32LE(signedData.length);
  const signedInput = Buffer.concat([Buffer.from("CRX3 SignedData\0", "latin1"), length, signedData, zip]);
  assert.ok(crypto.verify("sha256", signedInput, crypto.createPublicKey(key), signature));

  const tampered = Buffer.from(crx);
  tampered[tampered.length - 30] ^= 1;
  assert.throws(() => parseCrx3(tampered), /signature/);

  // Another key's proof with this package's crx id (the last 18 bytes of the
  // header: the SignedData message) and contents cannot pass.
  const forged = packCrx3(zip, testKey());
  const headerLength = crx.readUInt32LE(8);
  const forgedHeaderLength = forged.readUInt32LE(8);
  const withOtherId = Buffer.concat([
    forged.subarray(0, 12 + forgedHeaderLength - 18),
    crx.subarray(12 + headerLength - 18),
  ]);
  assert.throws(() => parseCrx3(withOtherId), /no RSA proof/);
  const version2 = Buffer.from(crx);
  version2.writeUInt32LE(2, 4);
  assert.throws(() => parseCrx3(version2), /version 2/);
});

test("two builds from the same sources and key give the same bytes", () => {
  const key = path.join(temporaryFolder("key"), "key.pem");
  fs.writeFileSync(key, testKey());
  const build = () => {
    const folder = temporaryFolder("build");
    const result = spawnSync(
      process.execPath,
      [
        buildTool,
        "--source",
        path.join(sourceRoot, "browser/extension"),
        "--out",
        folder,
        "--key",
        key,
        "--version",
        "1.2.3",
        "--firefox-id",
        "test@quill-token.org",
      ],
      { encoding: "utf8" },
    );
    assert.equal(result.status, 0, result.stderr);
    return folder;
  };
  const first = build();
  const second = build();
  for (const name of [
    "lumoPlugin.crx",
    "lumoPlugin.xpi",
    "extension-ids.json",
    "chrome/manifest.json",
    "firefox/manifest.json",
  ]) {
    assert.deepEqual(fs.readFileSync(path.join(first, name)), fs.readFileSync(path.join(second, name)), name);
  }
  const manifest = JSON.parse(fs.readFileSync(path.join(first, "chrome/manifest.json"), "utf8"));
  assert.equal(manifest.version, "1.2.3");
  const ids = JSON.parse(fs.readFileSync(path.join(first, "extension-ids.json"), "utf8"));
  assert.equal(extensionId(Buffer.from(manifest.key, "base64")), ids.chrome, "the manifest key gives the package's id");
  assert.equal(parseCrx3(fs.readFileSync(path.join(first, "lumoPlugin.crx"))).id, ids.chrome);
});

test(
  "the built packages carry the ids quill-host's manifests allow",
  { skip: !out || !host ? "needs QUILL_BROWSER_OUT and QUILL_HOST (run through ctest)" : false },
  () => {
    const ids = JSON.parse(fs.readFileSync(path.join(out, "extension-ids.json"), "utf8"));

    const crx = parseCrx3(fs.readFileSync(path.join(out, "lumoPlugin.crx")));
    assert.equal(crx.id, ids.chrome);
    const crxManifest = JSON.parse(
      readZip(crx.zip)
        .find((e) => e.name === "manifest.json")
        .data.toString(),
    );
    assert.equal(crxManifest.manifest_version, 3);
    assert.equal(extensionId(Buffer.from(crxManifest.key, "base64")), ids.chrome);
    const unpacked = JSON.parse(fs.readFileSync(path.join(out, "chrome/manifest.json"), "utf8"));
    assert.equal(unpacked.key, crxManifest.key, "the unpacked extension has the same id");

    const xpiEntries = readZip(fs.readFileSync(path.join(out, "lumoPlugin.xpi")));
    const xpiManifest = JSON.parse(xpiEntries.find((e) => e.name === "manifest.json").data.toString());
    assert.equal(xpiManifest.browser_specific_settings.gecko.id, ids.firefox);
    for (const file of [
      "background.js",
      "background.html",
      "content.js",
      "consent.html",
      "options.html",
      "lib/broker.js",
    ]) {
      assert.ok(
        xpiEntries.some((e) => e.name === file),
        `${file} in the xpi`,
      );
    }

    const home = temporaryFolder("home");
    const install = spawnSync(host, ["--install"], { env: { ...process.env, HOME: home }, encoding: "utf8" });
    assert.equal(install.status, 0, install.stderr);
    const check = spawnSync(
      process.execPath,
      [
        checker,
        "--crx",
        path.join(out, "lumoPlugin.crx"),
        "--xpi",
        path.join(out, "lumoPlugin.xpi"),
        "--ids",
        path.join(out, "extension-ids.json"),
        "--home",
        home,
      ],
      { encoding: "utf8" },
    );
    assert.equal(check.status, 0, check.stderr);
    assert.equal(check.stdout, `chrome id: ${ids.chrome}\nfirefox id: ${ids.firefox}\n`);

    // The checker does catch a host manifest that allows another extension.
    const chromium = path.join(home, ".config/chromium/NativeMessagingHosts/com.quill.host.json");
    const manifest = JSON.parse(fs.readFileSync(chromium, "utf8"));
    manifest.allowed_origins = ["chrome-extension://aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa/"];
    fs.writeFileSync(chromium, JSON.stringify(manifest));
    const mismatch = checkPackages({
      crx: path.join(out, "lumoPlugin.crx"),
      xpi: path.join(out, "lumoPlugin.xpi"),
      home,
    });
    assert.equal(mismatch.problems.length, 1);
    assert.match(mismatch.problems[0], /chromium.*allowed_origins/);
    },
);
