// A page's conversation with the token through quill.js, one step per member
// family, shared by the Chromium and Firefox tests. `run(expression)` gives
// the value of an expression evaluated in the test page (promises awaited).
import assert from "node:assert/strict";
import crypto from "node:crypto";

// The UID the library shows for virtual token `id` with its default UID
// value: the MD5 of bytes (k * 7 + id * 13 + 1) mod 256, k = 0..31.
export function defaultUid(id) {
  const value = Buffer.alloc(32);
  for (let k = 0; k < 32; k++) value[k] = (k * 7 + id * 13 + 1) % 256;
  return crypto.createHash("md5").update(value).digest("hex");
}

export const password = "12345678";
// The conversation runs against two tokens of model A with the defaults.
export const conversationTokens = ["--token", "hid:A", "--token", "hid:A"];
const wrongPasswordError = 522;

// Evaluates `call` (an expression giving a promise of quill.js) as {result} or {error}.
export const outcome = (run, call) => run(`settle(${call})`);

export async function expectError(run, call, code) {
  const { result, error } = await outcome(run, call);
  assert.equal(
    error?.code,
    code,
    `${call} should fail with ${code}, gave ${JSON.stringify({ result, error })}`,
  );
  assert.equal(error.isQuillError, true, `${call}: the rejection should be a QuillError`);
  return error;
}

export const conversationSteps = [
  {
    name: "presence and identity of the tokens",
    async check(run) {
      assert.equal(await run("quill.QuillCheckExist()"), 2); // the number of tokens
      assert.equal(await run("quill.QuillGetUID()"), defaultUid(0));
      assert.equal(await run(`quill.QuillIsConnected(${JSON.stringify(defaultUid(0))})`), 0);
      assert.equal(await run("quill.QuillGetUIDByIndex(1)"), defaultUid(1));
      // the generic form reaches the same member, names without regard to case
      assert.equal(await run("quill.call('quillgetuid')"), defaultUid(0));
    },
  },
  {
    name: "login: a wrong password, its reason, then the right one",
    async check(run) {
      assert.notEqual(await run("quill.QuillOpen('not-the-password')"), 0);
      assert.equal(await run("quill.QuillGetLastError()"), wrongPasswordError);
      assert.equal(await run(`quill.QuillOpen(${JSON.stringify(password)})`), 0);
      assert.equal(await run("quill.QuillGetLastError()"), 0);
    },
  },
  {
    name: "properties: get and put",
    async check(run) {
      assert.equal(await run("quill.getModel()"), 0);
      assert.equal(await run("quill.putModel(1)"), null);
      assert.equal(await run("quill.getModel()"), 1);
      assert.equal(await run("quill.put('Model', 0)"), null);
      assert.equal(await run("quill.get('Model')"), 0);
      const version = await run("quill.getVersion()");
      assert.equal(typeof version, "string");
      assert.notEqual(version, "");
      assert.equal(typeof (await run("quill.getRequestEnabled()")), "number");
      assert.equal(typeof (await run("quill.getName()")), "string");
    },
  },
  {
    name: "user and secure storage round trips",
    async check(run) {
      const text = "written by a web page";
      assert.equal(await run(`quill.QuillWriteUserStorage(${JSON.stringify(text)})`), 0);
      assert.equal(await run(`quill.QuillReadUserStorage(${text.length})`), text);
      assert.equal(await run("quill.QuillWriteUserStorageEx(100, 'at 100')"), 0);
      assert.equal(await run("quill.QuillReadUserStorageEx(100, 6)"), "at 100");
      const bytes = Buffer.from([0, 1, 2, 0xfe, 0xff, 0x80, 0x7f]).toString("base64");
      assert.equal(await run(`quill.QuillSecureWriteStorage(${JSON.stringify(bytes)})`), 0);
      assert.equal(await run("quill.QuillSecureReadStorage(7)"), bytes);
    },
  },
  {
    name: "data cipher and the memory area",
    async check(run) {
      const plain = "a secret note";
      const cipher = await run(`quill.QuillDataEncrypt(${JSON.stringify(plain)})`);
      assert.match(cipher, /^[A-Za-z0-9+/]+=*$/);
      assert.notEqual(cipher, plain);
      assert.equal(await run(`quill.QuillDataDecrypt(${JSON.stringify(cipher)})`), plain);

      // The memory area is crossed as the token's ciphertext only.
      const stored = await run("quill.QuillDataEncrypt('memtest1')");
      assert.equal(await run(`quill.QuillWriteMemory(16, ${JSON.stringify(stored)})`), 0);
      const readBack = await run("quill.QuillReadMemory(16, 8)");
      assert.equal(await run(`quill.QuillDataDecrypt(${JSON.stringify(readBack)})`), "memtest1");
    },
  },
  {
    name: "requests the host cannot run reject with its error codes",
    async check(run) {
      await expectError(run, "quill.call('QuillNoSuchMember')", "unknown-member");
      await expectError(run, "quill.call('QuillOpen')", "bad-arity");
      await expectError(run, "quill.get('QuillGetUID')", "not-a-property");
      await expectError(run, "quill.call('Model')", "not-a-method");
      // and the session goes on
      assert.equal(await run("quill.QuillGetUID()"), defaultUid(0));
    },
  },
];
