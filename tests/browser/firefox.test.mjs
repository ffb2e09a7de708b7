// Firefox ESR with the extension as a temporary add-on: the same
// conversation as in Chromium, and a site the user denies.
import assert from "node:assert/strict";
import { after, before, test } from "node:test";
import { conversationSteps, conversationTokens, expectError } from "./lib/conversation.mjs";
import { firefoxWorld } from "./lib/fixtures.mjs";
import { waitFor } from "./lib/processes.mjs";

let world;
let firefox;
const run = (expression) => firefox.execute(`return (${expression});`);

async function openTestPage(origin) {
  await firefox.navigate(`${origin}/index.html`);
  await waitFor(`the test page of ${origin}`, () => run("window.pageReady === true"), { timeoutMs: 10000 });
}

before(async () => {
  world = await firefoxWorld("firefox", {
    origins: 2,
    tokens: conversationTokens,
    policy: (origins) => ({ allowed: [origins[0]] }),
  });
  firefox = world.browser;
  assert.equal(world.addonId, world.build.firefoxId, "the add-on carries the packaged id");
  await openTestPage(world.origins[0]);
});

after(() => world?.close());

for (const step of conversationSteps) {
  test(step.name, { timeout: 30000 }, () => step.check(run));
}

test("a site the user denies in the prompt never reaches the token", { timeout: 60000 }, async () => {
  const [allowedOrigin, askingOrigin] = world.origins;
  await openTestPage(askingOrigin);
  const pageWindow = (await firefox.send("WebDriver:GetWindowHandle")).value;
  const exchangesBefore = await world.tokens.exchanges(0);
  const logBefore = await world.tokens.commandLog(0);

  await run("(window.pending = settle(quill.QuillGetUID()), true)");
  const prompt = await waitFor("the consent prompt window", async () => {
    const handles = await firefox.windowHandles();
    return handles.find((handle) => handle !== pageWindow);
  });
  await firefox.switchTo(prompt);
  await waitFor("the prompt to name the site", () =>
    firefox.execute(
      `return document.body && document.body.innerText.includes(${JSON.stringify(askingOrigin)});`,
    ),
  );
  await firefox.execute(
    "[...document.querySelectorAll('button')].find((b) => b.textContent.trim() === 'Deny').click(); return true;",
  );
  await firefox.switchTo(pageWindow);
  const { error } = await run("window.pending");
  assert.equal(error?.code, "consent-denied");

  // remembered: refused again without asking
  await expectError(run, "quill.QuillCheckExist()", "consent-denied");
  assert.deepEqual(await firefox.windowHandles(), [pageWindow]);
  assert.equal(await world.tokens.exchanges(0), exchangesBefore);
  assert.deepEqual(await world.tokens.commandLog(0), logBefore);

  // the allowed site is still served
  await openTestPage(allowedOrigin);
  assert.equal(await run("quill.QuillCheckExist()"), 2);
});
