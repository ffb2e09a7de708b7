// The user's consent per site in headless Chromium: the prompt, its three
// answers and its closing, the options page that lists and revokes
// decisions, and a site the machine policy forbids. Screenshots of the
// prompt and the options page go to the build's browser-screenshots folder.
import assert from "node:assert/strict";
import path from "node:path";
import { after, before, test } from "node:test";
import { defaultUid, expectError } from "./lib/conversation.mjs";
import { chromiumRunner, chromiumWorld } from "./lib/fixtures.mjs";
import { waitFor } from "./lib/processes.mjs";

let world;
const isPrompt = (target, origin) =>
  target.url.startsWith(`chrome-extension://${world.build.chromeId}/consent.html`) &&
  (origin === undefined || new URL(target.url).searchParams.get("origin") === origin);
const consentTargets = (origin) => [...world.browser.targets.values()].filter((t) => isPrompt(t, origin));

async function waitForPrompt(origin) {
  const target = await world.browser.waitForTarget(`the consent prompt for ${origin}`, (t) =>
    isPrompt(t, origin),
  );
  const prompt = await world.browser.attach(target);
  await waitFor("the prompt to show the site", () =>
    prompt.evaluate(
      `document.readyState === "complete" && document.body.innerText.includes(${JSON.stringify(origin)})`,
    ),
  );
  return prompt;
}

// Clicks the button with this text once the current task is done (the click
// may close the window).
const clickButton = (page, text, within = "document") =>
  page.evaluate(`(() => {
    const button = [...${within}.querySelectorAll("button")]
      .find((b) => b.textContent.trim() === ${JSON.stringify(text)});
    if (!button) throw new Error("no button '${text}'");
    setTimeout(() => button.click());
    return true;
  })()`);

const screenshot = (page, name) => page.screenshot(path.join(world.build.screenshots, name));

async function openOptions() {
  const options = await world.browser.openPage(`chrome-extension://${world.build.chromeId}/options.html`);
  return options;
}

const decisionRow = (options, origin) =>
  options.evaluate(`(() => {
    const row = [...document.querySelectorAll("#decisions tbody tr")]
      .find((r) => r.textContent.includes(${JSON.stringify(origin)}));
    return row ? row.textContent : "";
  })()`);

before(async () => {
  // origin 0 and 2: nobody decided yet; origin 1: forbidden by the machine policy
  world = await chromiumWorld("chromium-consent", {
    origins: 3,
    policy: (origins) => ({ forbidden: [origins[1]] }),
  });
});

after(() => world?.close());

test(
  "a site nobody decided on is asked; Deny refuses it and nothing reaches the token",
  { timeout: 60000 },
  async () => {
    const origin = world.origins[0];
    const run = chromiumRunner(await world.openTestPage(0));
    const exchanges = await world.tokens.exchanges(0);
    const log = await world.tokens.commandLog(0);

    await run("(window.pending = settle(quill.QuillGetUID()), true)");
    const prompt = await waitForPrompt(origin);
    await screenshot(prompt, "consent-prompt.png");
    await clickButton(prompt, "Deny");
    assert.equal((await run("window.pending")).error?.code, "consent-denied");

    // remembered: refused again, without a prompt
    await expectError(run, "quill.QuillCheckExist()", "consent-denied");
    assert.deepEqual(consentTargets(), []);
    assert.equal(await world.tokens.exchanges(0), exchanges);
    assert.deepEqual(await world.tokens.commandLog(0), log);
  },
);

test(
  "the options page lists the decision; Revoke asks again, Always allow is remembered",
  { timeout: 60000 },
  async () => {
    const origin = world.origins[0];
    const options = await openOptions();
    const denied = await waitFor("the denied site on the options page", () => decisionRow(options, origin));
    assert.match(denied, /denied/i);
    await clickButton(options, "Revoke", "document.querySelector('#decisions')");
    await waitFor("the decision to go", async () => (await decisionRow(options, origin)) === "");

    const run = chromiumRunner(await world.openTestPage(0));
    await run("(window.pending = settle(quill.QuillGetUID()), true)");
    await clickButton(await waitForPrompt(origin), "Always allow");
    assert.deepEqual(await run("window.pending"), { result: defaultUid(0) });

    // another tab of the site is not asked
    const again = chromiumRunner(await world.openTestPage(0));
    assert.equal(await again("quill.QuillCheckExist()"), 1);
    assert.deepEqual(consentTargets(), []);
    const allowed = await waitFor("the allowed site on the options page", () => decisionRow(options, origin));
    assert.match(allowed, /allow/i);
    await screenshot(options, "options-page.png");
  },
);

test(
  "closing the prompt denies this time only; Allow once lasts for the tab",
  { timeout: 60000 },
  async () => {
    const origin = world.origins[2];
    const run = chromiumRunner(await world.openTestPage(2));
    await run("(window.pending = settle(quill.QuillGetUID()), true)");
    const first = await waitForPrompt(origin);
    await first.close();
    assert.equal((await run("window.pending")).error?.code, "consent-denied");

    // asked again; two calls wait for the one prompt
    await run(
      "(window.pending = Promise.all([settle(quill.QuillGetUID()), settle(quill.QuillCheckExist())]), true)",
    );
    const second = await waitForPrompt(origin);
    assert.equal(consentTargets(origin).length, 1);
    await clickButton(second, "Allow once");
    assert.deepEqual(await run("window.pending"), [{ result: defaultUid(0) }, { result: 1 }]);
    assert.equal(await run("quill.QuillCheckExist()"), 1);
    assert.deepEqual(consentTargets(), []);

    // a new tab is asked again, and nothing was remembered for the site
    const other = chromiumRunner(await world.openTestPage(2));
    await other("(window.pending = settle(quill.QuillCheckExist()), true)");
    await (await waitForPrompt(origin)).close();
    assert.equal((await other("window.pending")).error?.code, "consent-denied");
    const options = await openOptions();
    await waitFor("the options page to show", () => decisionRow(options, world.origins[0]));
    assert.equal(await decisionRow(options, origin), "");
  },
);

test("a site the machine policy forbids is refused without a prompt", { timeout: 30000 }, async () => {
  const exchanges = await world.tokens.exchanges(0);
  const run = chromiumRunner(await world.openTestPage(1));
  const error = await expectError(run, "quill.QuillGetUID()", "origin-forbidden");
  assert.notEqual(error.message, "");
  await expectError(run, "quill.getModel()", "origin-forbidden");
  // A message that names another origin (one the user allowed) changes nothing:
  // the extension takes the origin from the browser, never from the page.
  const forged = await run(`new Promise((resolve) => {
    addEventListener("message", (e) => {
      const data = e.data;
      if (e.source === window && data && data.channel === "quill-extension" && data.id === 7001) resolve(data);
    });
    postMessage({ channel: "quill-page", id: 7001, kind: "call", member: "QuillGetUID", args: [],
                  origin: ${JSON.stringify(world.origins[0])} }, "*");
  })`);
  assert.equal(forged.error?.code, "origin-forbidden", JSON.stringify(forged));
  assert.deepEqual(consentTargets(), []);
  assert.equal(await world.tokens.exchanges(0), exchanges);
});
