// Two sites in two tabs of headless Chromium: each has a control session of
// its own (its own host), and the machine policy applies to each at once.
import assert from "node:assert/strict";
import { after, before, test } from "node:test";
import { defaultUid, expectError } from "./lib/conversation.mjs";
import { chromiumRunner, chromiumWorld } from "./lib/fixtures.mjs";

let world;
let siteA;
let siteB;

before(async () => {
  world = await chromiumWorld("chromium-origins", {
    origins: 2,
    tokens: ["--token", "hid:A", "--token", "hid:A"],
    policy: (origins) => ({ allowed: origins }),
  });
  siteA = chromiumRunner(await world.openTestPage(0));
  siteB = chromiumRunner(await world.openTestPage(1));
});

after(() => world?.close());

test("two sites keep their selection, error store and model apart", { timeout: 30000 }, async () => {
  assert.equal(await siteA("quill.QuillGetUID()"), defaultUid(0));
  assert.equal(await siteB("quill.QuillGetUID()"), defaultUid(0));

  assert.equal(await siteA(`quill.QuillSelectId(${JSON.stringify(defaultUid(1))})`), 0);
  assert.equal(await siteA("quill.QuillGetUID()"), defaultUid(1));
  assert.equal(await siteB("quill.QuillGetUID()"), defaultUid(0));

  assert.notEqual(await siteA("quill.QuillOpen('wrong')"), 0);
  assert.equal(await siteB("quill.QuillGetLastError()"), 0);
  assert.equal(await siteA("quill.QuillGetLastError()"), 522);

  assert.equal(await siteB("quill.putModel(1)"), null);
  assert.equal(await siteA("quill.getModel()"), 0);
  assert.equal(await siteB("quill.getModel()"), 1);
  assert.equal(await siteB("quill.putModel(0)"), null);

  assert.equal(world.browser.hostProcesses(world.build.host).length, 2, "one host per site");
});

test("a change of the machine policy applies at the next call", { timeout: 30000 }, async () => {
  world.setPolicy({ allowed: [world.origins[0]], forbidden: [world.origins[1]] });
  await expectError(siteB, "quill.QuillCheckExist()", "origin-forbidden");
  assert.equal(await siteA("quill.QuillCheckExist()"), 2);

  // an unreadable policy refuses every site (fails closed)
  world.setPolicy({ allowed: ["not an origin pattern"] });
  await expectError(siteA, "quill.QuillCheckExist()", "policy-unreadable");

  world.setPolicy({ allowed: world.origins });
  assert.equal(await siteA("quill.QuillCheckExist()"), 2);
  assert.equal(await siteB("quill.QuillCheckExist()"), 2);
});
