// What a page may throw at the extension in headless Chromium: requests too
// large for the host, wrong types, malformed messages, floods, a host that
// dies, a page that leaves in the middle of a call.
import assert from "node:assert/strict";
import { after, before, test } from "node:test";
import { conversationTokens, defaultUid, expectError, outcome } from "./lib/conversation.mjs";
import { chromiumRunner, chromiumWorld } from "./lib/fixtures.mjs";
import { waitFor } from "./lib/processes.mjs";

let world;
let page;
let run;

before(async () => {
  world = await chromiumWorld("chromium-bad-input", {
    tokens: conversationTokens,
    policy: (origins) => ({ allowed: [origins[0]] }),
  });
  page = await world.openTestPage(0);
  run = chromiumRunner(page);
});

after(() => world?.close());

const hosts = () => world.browser.hostProcesses(world.build.host);

test(
  "a request over the host's frame limit is refused in the page; one under it goes through",
  { timeout: 30000 },
  async () => {
    assert.equal(await run("quill.QuillCheckExist()"), 2);
    const [host] = hosts();
    const log = await world.tokens.commandLog(0);

    const error = await expectError(run, "quill.QuillWriteUserStorage('x'.repeat(1100 * 1024))", "too-large");
    assert.notEqual(error.message, "");
    await expectError(run, "quill.QuillSecureWriteStorage('A'.repeat(1024 * 1024 + 1))", "too-large");
    assert.deepEqual(await world.tokens.commandLog(0), log, "nothing may reach the token");

    // Just under the limit: the host gets it and answers with the member's own result.
    const { result } = await outcome(run, "quill.QuillSelectId('A'.repeat(1024 * 1024 - 16 * 1024))");
    assert.equal(typeof result, "number");
    assert.deepEqual(hosts(), [host], "the same host serves on");
    assert.deepEqual(await run("window.notices"), []);
  },
);

test("arguments of the wrong type are refused with type-mismatch", { timeout: 30000 }, async () => {
  const log = await world.tokens.commandLog(0);
  await expectError(run, "quill.QuillOpen(12345678)", "type-mismatch");
  await expectError(run, "quill.QuillReadUserStorage('ten')", "type-mismatch");
  await expectError(run, "quill.QuillReadUserStorage(1.5)", "type-mismatch");
  await expectError(run, "quill.QuillReadUserStorage(2 ** 31)", "type-mismatch");
  await expectError(run, "quill.QuillReadUserStorage(true)", "type-mismatch");
  await expectError(run, "quill.QuillSelectId(['a'])", "type-mismatch");
  await expectError(run, "quill.putModel('1')", "type-mismatch");
  assert.deepEqual(await world.tokens.commandLog(0), log, "nothing may reach the token");
  assert.equal(await run("quill.QuillGetUID()"), defaultUid(0));
});

test("malformed messages posted by the page itself get bad-call", { timeout: 30000 }, async () => {
  // Posted past quill.js, as any script on the page can.
  const replies = await run(`new Promise((resolve) => {
    const wanted = new Set([9001, 9002, 9003]);
    const got = {};
    addEventListener("message", (e) => {
      if (e.source === window && e.data && e.data.channel === "quill-extension" && wanted.has(e.data.id)) {
        got[e.data.id] = e.data.error ? e.data.error.code : "result:" + JSON.stringify(e.data.result);
        if (Object.keys(got).length === wanted.size) resolve(got);
      }
    });
    postMessage({ channel: "quill-page", id: 9001, kind: "frobnicate", member: "QuillGetUID", args: [] }, "*");
    postMessage({ channel: "quill-page", id: 9002, kind: "call", member: 42, args: [] }, "*");
    postMessage({ channel: "quill-page", id: 9003, kind: "call", member: "QuillGetUID", args: "none" }, "*");
  })`);
  assert.deepEqual(replies, { 9001: "bad-call", 9002: "bad-call", 9003: "bad-call" });
});

test(
  "a flood of calls is answered in order, bounded, each with its own result",
  { timeout: 60000 },
  async () => {
    // Three calls with three different answers: token 0's UID, token 1's, none.
    const expected = [defaultUid(0), defaultUid(1), ""];
    assert.equal(await run("quill.QuillGetUIDByIndex(5)"), "");

    const flood = await run(`(async () => {
    const order = [];
    const call = (i) =>
      settle(quill.QuillGetUIDByIndex([0, 1, 5][i % 3])).then((o) => {
        if (o.error === undefined) order.push(i);
        return o;
      });
    const outcomes = await Promise.all(Array.from({ length: 200 }, (_, i) => call(i)));
    return { order, outcomes };
  })()`);
    const answered = flood.outcomes.filter((o) => o.error === undefined);
    const refused = flood.outcomes.filter((o) => o.error !== undefined);
    assert.ok(answered.length >= 64, `at least a full queue is served (${answered.length})`);
    assert.ok(refused.length > 0, "the queue is bounded");
    for (const o of refused) assert.equal(o.error.code, "busy");
    assert.deepEqual(
      flood.order,
      [...flood.order].sort((a, b) => a - b),
      "answers come in call order",
    );
    flood.outcomes.forEach((o, i) => {
      if (o.error === undefined)
        assert.equal(o.result, expected[i % 3], `call ${i} got another call's answer`);
    });
    // the queue drains: the next call is served
    assert.equal(await run("quill.QuillGetUIDByIndex(1)"), expected[1]);
  },
);

test("a tab that floods does not starve another tab of the same site", { timeout: 60000 }, async () => {
  const other = await world.openTestPage(0);
  try {
    await world.tokens.command("fault 0 delay 20 always"); // every answer takes 20 ms or more
    await run(`(window.flood = Promise.all(Array.from({ length: 60 }, () =>
      quill.QuillCheckExist())).then(() => Date.now()), true)`);
    const otherDone = await other.evaluate("quill.QuillGetUID().then((uid) => [uid, Date.now()])");
    const floodDone = await run("window.flood");
    assert.equal(otherDone[0], defaultUid(0));
    assert.ok(
      otherDone[1] < floodDone - 500,
      `the other tab waited for the flood (${floodDone - otherDone[1]} ms before its end)`,
    );
  } finally {
    await world.tokens.command("clear 0");
    await other.close();
  }
});

test("a reply for a page that navigated away is not given to the next page", { timeout: 30000 }, async () => {
  // A fresh page, so that its library numbers its calls as the next page's will.
  const leaving = await world.openTestPage(0);
  const exchanges = await world.tokens.exchanges(0);
  await world.tokens.command("fault 0 delay 500 1");
  await leaving.evaluate("(quill.QuillGetUID(), true)");
  await waitFor("the call to reach the token", async () => (await world.tokens.exchanges(0)) > exchanges);
  await leaving.navigate(`${world.origins[0]}/index.html?again`, "window.pageReady === true");
  assert.equal(await leaving.evaluate("quill.QuillCheckExist()"), 2);
  assert.equal(await leaving.evaluate("quill.getModel()"), 0);
  await leaving.close();
});

test(
  "a host that dies: the call in flight fails, the next one starts a new host and says so once",
  { timeout: 30000 },
  async () => {
    assert.notEqual(await run("quill.QuillOpen('wrong')"), 0);
    assert.equal(await run("quill.QuillGetLastError()"), 522);
    const [host] = hosts();
    assert.ok(host, "a host serves the page");

    const exchanges = await world.tokens.exchanges(0);
    await world.tokens.command("fault 0 delay 2000 1");
    await run(
      "(window.inFlight = settle(quill.QuillGetUID()), window.waiting = settle(quill.QuillCheckExist()), true)",
    );
    await waitFor("the call to reach the token", async () => (await world.tokens.exchanges(0)) > exchanges);
    process.kill(host, "SIGKILL");
    await waitFor("the killed host to be gone", () => !hosts().includes(host));

    assert.equal((await run("window.inFlight")).error?.code, "host-exited");
    assert.deepEqual(await run("window.waiting"), { result: 2 });
    assert.deepEqual(await run("window.notices"), ["host-restarted"]);
    // a new host, a new session: the old error store went with the old host
    assert.equal(await run("quill.QuillGetLastError()"), 0);
    assert.deepEqual(await run("window.notices"), ["host-restarted"], "the notice comes once");
    const [newHost] = hosts();
    assert.ok(newHost && newHost !== host);
    await world.tokens.command("clear 0");
  },
);
