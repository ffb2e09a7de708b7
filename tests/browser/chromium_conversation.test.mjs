// A page on an origin the machine policy allows talks to two virtual tokens
// through quill.js in headless Chromium, across every member family.
import assert from "node:assert/strict";
import { after, before, test } from "node:test";
import path from "node:path";
import { Chromium } from "./lib/chromium.mjs";
import { conversationSteps, conversationTokens, expectError } from "./lib/conversation.mjs";
import { chromiumRunner, chromiumWorld, pageLibraryLoaded } from "./lib/fixtures.mjs";

let world;
let run;

before(async () => {
  world = await chromiumWorld("chromium-conversation", {
    tokens: conversationTokens,
    policy: (origins) => ({ allowed: [origins[0]] }),
  });
  run = chromiumRunner(await world.openTestPage(0));
});

after(() => world?.close());

for (const step of conversationSteps) {
  test(step.name, { timeout: 30000 }, () => step.check(run));
}

test("the conversation reached the token, through one host for the origin", async () => {
  assert.ok((await world.tokens.commandLog(0)).length > 10);
  assert.equal(world.browser.hostProcesses(world.build.host).length, 1);
  assert.deepEqual(await run("window.notices"), []);
});

test("without the extension the page library says so", { timeout: 30000 }, async () => {
  const bare = await Chromium.launch({ profileDir: path.join(world.folder, "bare-profile") });
  try {
    const page = await bare.openPage(`${world.origins[0]}/index.html`);
    const run = chromiumRunner(page);
    await run(pageLibraryLoaded);
    assert.equal(await run("quill.isAvailable()"), false);
    const error = await expectError(run, "quill.QuillGetUID()", "extension-missing");
    assert.notEqual(error.message, "");
  } finally {
    await bare.close();
  }
});
