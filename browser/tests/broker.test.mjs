// The background's decisions, queues and host sessions against a fake
// browser and scripted hosts.

import { test } from "node:test";
import assert from "node:assert/strict";
import { Broker } from "../extension/lib/broker.js";
import { fakeBrowser, scriptedHost, settle } from "./support/fake_browser.mjs";

const SITE = "https://shop.example";
const OTHER = "https://other.example";

function start({ idleHostMs = 50, ...options } = {}) {
  const api = fakeBrowser(options);
  const broker = new Broker(api, { idleHostMs });
  broker.listen();
  return { api, broker };
}

const call = (id, member = "QuillGetUID", args = []) => ({ id, kind: "call", member, args });

test("only http and https pages reach a host; malformed requests are refused", async () => {
  const { api } = start({ respond: scriptedHost({ policy: "allow" }) });
  for (const url of ["file:///home/user/page.html", "chrome-extension://x/page.html", "about:blank"]) {
    const page = api.connectPage({ url });
    assert.equal((await page.ask(call(1))).error.code, "bad-origin", url);
  }
  const sandboxed = api.connectPage({ origin: "null", url: "https://shop.example/frame.html" });
  assert.equal((await sandboxed.ask(call(1))).error.code, "bad-origin", "the sender's origin wins over its URL");

  const page = api.connectPage({ origin: SITE });
  assert.equal((await page.ask({ id: 2, kind: "invoke", member: "QuillGetUID", args: [] })).error.code, "bad-call");
  assert.equal((await page.ask({ id: 3, kind: "call", member: 7, args: [] })).error.code, "bad-call");
  assert.equal((await page.ask({ id: 4, kind: "call", member: "QuillOpen", args: "1234" })).error.code, "bad-call");
  const huge = "x".repeat(1024 * 1024);
  assert.equal((await page.ask(call(5, "QuillWriteUserStorage", [huge]))).error.code, "too-large");
  assert.equal(api.hosts.length, 0, "nothing reached a host");
});

test("the browser's managed storage decides before the host's policy and the user", async (t) => {
  await t.test("forbidden: refused, no host started", async () => {
    const { api } = start({ managed: { forbiddenOrigins: ["https://*.example"], allowedOrigins: [SITE] } });
    const page = api.connectPage({ origin: SITE });
    const reply = await page.ask(call(1));
    assert.equal(reply.error.code, "origin-forbidden");
    assert.match(reply.error.message, /administrator/);
    assert.equal(api.hosts.length, 0);
    assert.equal(api.windowsCreated.length, 0);
  });
  await t.test("allowed: sent without a policy question or a prompt", async () => {
    const { api } = start({ managed: { allowedOrigins: [SITE] } });
    const page = api.connectPage({ origin: SITE });
    assert.equal((await page.ask(call(1))).result, "UID-1");
    assert.deepEqual(api.hosts[0].requests, [{ id: 1, call: "QuillGetUID", args: [], origin: SITE }]);
    assert.equal(api.windowsCreated.length, 0);
  });
  await t.test("a malformed pattern refuses every origin", async () => {
    const { api } = start({ managed: { forbiddenOrigins: ["https://shop.example/"] } });
    const page = api.connectPage({ origin: OTHER });
    assert.equal((await page.ask(call(1))).error.code, "policy-unreadable");
    assert.equal(api.hosts.length, 0);
  });
  await t.test("no managed storage at all (Firefox rejects) means no say", async () => {
    const { api } = start({ managed: null, respond: scriptedHost({ policy: "allow" }) });
    const page = api.connectPage({ origin: SITE });
    assert.equal((await page.ask(call(1))).result, "UID-1");
  });
});

test("the host's machine policy is asked once per host and obeyed", async (t) => {
  await t.test("forbid: refused without a prompt, nothing but the question sent", async () => {
    const { api } = start({ respond: scriptedHost({ policy: "forbid" }) });
    const page = api.connectPage({ origin: SITE });
    assert.equal((await page.ask(call(1))).error.code, "origin-forbidden");
    assert.equal((await page.ask(call(2))).error.code, "origin-forbidden");
    assert.deepEqual(api.hosts[0].requests, [{ id: 1, origin: SITE, query: "policy" }]);
    assert.equal(api.windowsCreated.length, 0);
  });
  await t.test("allow: no prompt; the answer is kept for the host's life", async () => {
    const { api } = start({ respond: scriptedHost({ policy: "allow" }) });
    const page = api.connectPage({ origin: SITE });
    await page.ask(call(1));
    await page.ask(call(2));
    assert.equal(api.hosts[0].requests.filter((r) => r.query === "policy").length, 1);
    assert.equal(api.hosts[0].memberRequests.length, 2);
    assert.equal(api.windowsCreated.length, 0);
  });
  await t.test("the host's refusal of the question reaches the page", async () => {
    const { api } = start({
      respond: (request) => ({
        id: request.id,
        error: { code: "policy-unreadable", message: "/etc/quill/policy.json" },
      }),
    });
    const page = api.connectPage({ origin: SITE });
    assert.equal((await page.ask(call(1))).error.code, "policy-unreadable");
  });
});

test("the user is asked once per origin and tab, and the answer holds", async (t) => {
  await t.test("deny: every waiting request is refused and nothing reaches the token", async () => {
    const { api } = start();
    const page = api.connectPage({ origin: SITE, tab: 1 });
    page.postMessage(call(1));
    page.postMessage(call(2, "QuillOpen", ["1234"]));
    await settle();
    assert.equal(api.windowsCreated.length, 1, "one window for both requests");
    assert.equal(api.windowsCreated[0].type, "popup");
    assert.equal(new URL(api.windowsCreated[0].url).searchParams.get("origin"), SITE);
    assert.equal(page.replies.length, 0, "the requests wait for the answer");

    await api.answerConsent(api.windowsCreated[0], "deny");
    assert.deepEqual(
      page.replies.map((r) => r.error?.code),
      ["consent-denied", "consent-denied"],
    );
    assert.equal(api.hosts[0].memberRequests.length, 0);
    assert.deepEqual(await api.storage.local.get("decisions"), { decisions: { [SITE]: "deny" } });

    assert.equal((await page.ask(call(3))).error.code, "consent-denied", "remembered");
    assert.equal(api.windowsCreated.length, 1);
  });

  await t.test("closing the window denies this time only", async () => {
    const { api } = start();
    const page = api.connectPage({ origin: SITE });
    page.postMessage(call(1));
    await settle();
    api.windows.onRemoved.emit(api.windowsCreated[0].id);
    await settle();
    assert.equal(page.replies[0].error.code, "consent-denied");
    assert.deepEqual(await api.storage.local.get("decisions"), {});
    page.postMessage(call(2));
    await settle();
    assert.equal(api.windowsCreated.length, 2, "asked again");
  });

  await t.test("frames of several origins in one tab: one window at a time", async () => {
    const { api } = start();
    const frames = [SITE, OTHER, "https://third.example"].map((origin) => api.connectPage({ origin, tab: 1 }));
    for (const frame of frames) frame.postMessage(call(1));
    await settle();
    assert.equal(api.windowsCreated.length, 1);
    await api.answerConsent(api.windowsCreated[0], "deny");
    assert.equal(api.windowsCreated.length, 2, "the next one opens after the answer");
    assert.equal(new URL(api.windowsCreated[1].url).searchParams.get("origin"), OTHER);
    api.windows.onRemoved.emit(api.windowsCreated[1].id);
    await settle();
    assert.equal(api.windowsCreated.length, 3);
    assert.deepEqual(
      frames.map((frame) => frame.replies.map((reply) => reply.error?.code)),
      [["consent-denied"], ["consent-denied"], []],
    );
    const elsewhere = api.connectPage({ origin: OTHER, tab: 2 });
    elsewhere.postMessage(call(1));
    await settle();
    assert.equal(api.windowsCreated.length, 4, "another tab is not held up");
  });

  await t.test("a tab closed while it asks: its requests are refused and its window goes", async () => {
    const { api } = start();
    const removed = [];
    const remove = api.windows.remove;
    api.windows.remove = (id) => {
      removed.push(id);
      return remove(id);
    };
    const page = api.connectPage({ origin: SITE, tab: 1 });
    page.postMessage(call(1));
    await settle();
    api.tabs.onRemoved.emit(1);
    await settle();
    assert.equal(page.replies[0].error.code, "consent-denied");
    assert.deepEqual(removed, [api.windowsCreated[0].id]);
    await api.answerConsent(api.windowsCreated[0], "always-allow");
    assert.deepEqual(await api.storage.local.get("decisions"), {}, "a late answer is for no prompt");
  });

  await t.test("always allow: remembered for every tab", async () => {
    const { api } = start();
    const first = api.connectPage({ origin: SITE, tab: 1 });
    first.postMessage(call(1));
    await settle();
    await api.answerConsent(api.windowsCreated[0], "always-allow");
    assert.equal(first.replies[0].result, "UID-1");
    const second = api.connectPage({ origin: SITE, tab: 2 });
    assert.equal((await second.ask(call(1))).result, "UID-1");
    assert.equal(api.windowsCreated.length, 1);
  });

  await t.test("allow once: this tab only, until it closes", async () => {
    for (const session of [true, false]) {
      const { api } = start({ session });
      const first = api.connectPage({ origin: SITE, tab: 1 });
      first.postMessage(call(1));
      await settle();
      await api.answerConsent(api.windowsCreated[0], "allow-once");
      assert.equal(first.replies[0].result, "UID-1");
      assert.equal((await first.ask(call(2))).result, "UID-1", "no second prompt in the tab");
      assert.deepEqual(await api.storage.local.get("decisions"), {}, "nothing remembered");

      const second = api.connectPage({ origin: SITE, tab: 2 });
      second.postMessage(call(1));
      await settle();
      assert.equal(api.windowsCreated.length, 2, "another tab is asked");

      api.tabs.onRemoved.emit(1);
      await settle();
      const reopened = api.connectPage({ origin: SITE, tab: 1 });
      reopened.postMessage(call(1));
      await settle();
      assert.equal(api.windowsCreated.length, 3, "the grant went with the tab");
    }
  });

  await t.test("a tab waiting for the user does not hold up another tab", async () => {
    const { api, broker } = start();
    await broker.consent.remember(OTHER, "allow");
    const asking = api.connectPage({ origin: SITE, tab: 1 });
    asking.postMessage(call(1));
    await settle();
    await broker.consent.session.set({ [`2|${SITE}`]: true });
    const granted = api.connectPage({ origin: SITE, tab: 2 });
    assert.equal((await granted.ask(call(7))).result, "UID-1");
    assert.equal(asking.replies.length, 0);
  });

  await t.test("a window left open across a restart of the background answers no new prompt", async () => {
    const { api } = start();
    const first = api.connectPage({ origin: SITE, tab: 1 });
    first.postMessage(call(1));
    await settle();
    // The background restarts (Chrome ends idle workers): its prompts are lost.
    api.runtime.onConnect.listeners = [];
    api.runtime.onMessage.listeners = [];
    new Broker(api).listen();
    const second = api.connectPage({ origin: OTHER, tab: 2 });
    second.postMessage(call(1));
    await settle();
    assert.equal(api.windowsCreated.length, 2);
    await api.answerConsent(api.windowsCreated[0], "always-allow");
    assert.deepEqual(await api.storage.local.get("decisions"), {}, "the old window's answer is for no prompt now");
    assert.equal(second.replies.length, 0, "the other site still waits for its own window");
    await api.answerConsent(api.windowsCreated[1], "deny");
    assert.equal(second.replies[0].error.code, "consent-denied");
  });

  await t.test("answers from anything but the consent window are ignored", async () => {
    const { api } = start();
    const page = api.connectPage({ origin: SITE });
    page.postMessage(call(1));
    await settle();
    const prompt = new URL(api.windowsCreated[0].url).searchParams.get("prompt");
    const forged = { url: "https://shop.example/page.html", tab: { id: 1 } };
    const handled = api.runtime.onMessage.emit(
      { type: "consent-answer", prompt, choice: "always-allow" },
      forged,
      () => {},
    );
    assert.deepEqual(handled, [false]);
    await settle();
    assert.equal(page.replies.length, 0);
    assert.deepEqual(await api.storage.local.get("decisions"), {});
  });
});

test("requests of an origin are served one at a time, in order, fairly across tabs", async (t) => {
  await t.test("a flooding tab does not starve another", async () => {
    const { api } = start({ respond: scriptedHost({ policy: "allow" }) });
    const flood = api.connectPage({ origin: SITE, tab: 1 });
    const quiet = api.connectPage({ origin: SITE, tab: 2 });
    for (let id = 1; id <= 20; id++) flood.postMessage(call(id, "QuillCheckExist"));
    quiet.postMessage(call(1, "QuillGetUID"));
    await settle(200);
    const served = api.hosts[0].memberRequests.map((r) => r.call);
    assert.equal(served.length, 21);
    assert.ok(served.indexOf("QuillGetUID") <= 2, `served at ${served.indexOf("QuillGetUID")}`);
    assert.deepEqual(
      flood.replies.map((r) => r.id),
      Array.from({ length: 20 }, (_, i) => i + 1),
      "in order within the tab",
    );
  });

  await t.test("more than 64 waiting in a tab: busy", async () => {
    const { api } = start({
      respond: (request) => ("query" in request ? { id: request.id, result: "allow" } : undefined),
    });
    const page = api.connectPage({ origin: SITE, tab: 1 });
    for (let id = 1; id <= 70; id++) page.postMessage(call(id));
    await settle();
    // One is at the host (it never answers), 64 wait, the rest are refused.
    assert.deepEqual(
      page.replies.map((r) => r.id),
      [66, 67, 68, 69, 70],
    );
    assert.ok(page.replies.every((r) => r.error.code === "busy"));
  });

  await t.test("a failing browser API still answers the page and frees the queue", async () => {
    const { api } = start();
    api.storage.local.get = async () => {
      throw new Error("storage is gone");
    };
    const page = api.connectPage({ origin: SITE });
    page.postMessage(call(1));
    page.postMessage(call(2));
    await settle();
    assert.deepEqual(
      page.replies.map((r) => [r.id, r.error?.code]),
      [
        [1, "host-exited"],
        [2, "host-exited"],
      ],
    );
    assert.match(page.replies[0].error.message, /storage is gone/);
  });

  await t.test("a frame that goes away loses its waiting requests and its reply", async () => {
    const { api } = start({
      respond: (request) => ("query" in request ? { id: request.id, result: "allow" } : undefined),
    });
    const page = api.connectPage({ origin: SITE, tab: 1 });
    for (let id = 1; id <= 3; id++) page.postMessage(call(id));
    await settle();
    const host = api.hosts[0];
    assert.equal(host.memberRequests.length, 1);
    page.disconnect();
    await settle();
    host.reply({ id: host.memberRequests[0].id, result: "late" });
    await settle();
    assert.equal(host.memberRequests.length, 1, "the waiting ones were dropped");
    const next = api.connectPage({ origin: SITE, tab: 1 });
    next.postMessage(call(9));
    await settle();
    assert.equal(host.memberRequests.length, 2, "the host is free again");
  });
});

test("one host per origin; a host that ends is restarted and the page told once", async (t) => {
  await t.test("two origins, two host processes, each bound to its origin", async () => {
    const { api } = start({ respond: scriptedHost({ policy: "allow" }) });
    const a = api.connectPage({ origin: SITE, tab: 1 });
    const b = api.connectPage({ origin: OTHER, tab: 2 });
    assert.equal((await a.ask(call(1))).result, "UID-1");
    assert.equal((await b.ask(call(1))).result, "UID-2");
    assert.equal((await a.ask(call(2))).result, "UID-1");
    assert.ok(api.hosts[0].requests.every((r) => r.origin === SITE));
    assert.ok(api.hosts[1].requests.every((r) => r.origin === OTHER));
  });

  await t.test("the request in flight fails, the next one starts a new host", async () => {
    let hang = true;
    const respond = (request, host) => {
      if ("query" in request) return { id: request.id, result: "allow" };
      if (hang && host.number === 1) return undefined;
      return scriptedHost()(request, host);
    };
    const { api } = start({ respond });
    const page = api.connectPage({ origin: SITE });
    assert.equal(await page.ask({ id: 0, kind: "call", member: "QuillCheckExist", args: [] }), undefined);
    hang = false;
    // The host answered the policy question, so it had been serving.
    page.postMessage(call(1));
    await settle();
    api.hosts[0].exit();
    await settle();
    const replies = page.replies;
    assert.deepEqual(
      replies.map((r) => [r.id, r.error?.code]),
      [
        [0, "host-exited"],
        [1, undefined],
      ],
    );
    assert.equal(replies[1].result, "UID-2", "the waiting request went to a new host");
    assert.equal(replies[1].notice, "host-restarted");
    const after = await page.ask(call(2));
    assert.equal(after.result, "UID-2");
    assert.equal(after.notice, undefined, "said once");
  });

  await t.test("no host installed: host-missing", async () => {
    const { api } = start({ hostMissing: true });
    const page = api.connectPage({ origin: SITE });
    const reply = await page.ask(call(1));
    assert.equal(reply.error.code, "host-missing");
    assert.match(reply.error.message, /quill-host/);
  });

  await t.test("host errors and results reach the page as they are", async () => {
    const { api } = start({ respond: scriptedHost({ policy: "allow" }) });
    const page = api.connectPage({ origin: SITE });
    assert.deepEqual(await page.ask(call(1, "QuillUnknown")), {
      id: 1,
      error: { code: "unknown-member", message: "no member is named 'QuillUnknown'" },
    });
    assert.deepEqual(await page.ask({ id: 2, kind: "put", member: "Model", args: [1] }), { id: 2, result: null });
    assert.deepEqual(api.hosts[0].memberRequests.at(-1), { id: 3, put: "Model", value: 1, origin: SITE });
  });

  await t.test("revoking forgets the decision and ends the origin's host", async () => {
    const { api, broker } = start();
    await broker.consent.remember(SITE, "allow");
    const page = api.connectPage({ origin: SITE });
    assert.equal((await page.ask(call(1))).result, "UID-1");
    const answer = await new Promise((resolve) =>
      api.runtime.onMessage.emit(
        { type: "revoke", origin: SITE },
        { url: api.runtime.getURL("options.html") },
        resolve,
      ),
    );
    assert.equal(answer, true);
    assert.equal(api.hosts[0].port.other.open, false, "the host's port was closed");
    page.postMessage(call(2));
    await settle();
    assert.equal(api.windowsCreated.length, 1, "asked again");
    assert.equal(api.hosts.length, 2, "a new host answered the policy question");
  });

  await t.test("a revoke and another answer at the same moment both hold", async () => {
    const { api, broker } = start();
    await broker.consent.remember(SITE, "allow");
    await Promise.all([broker.consent.revoke(SITE), broker.consent.remember(OTHER, "deny")]);
    assert.deepEqual(await api.storage.local.get("decisions"), { decisions: { [OTHER]: "deny" } });
  });

  await t.test("an origin none of whose frames is left gives up its host after a while", async () => {
    const { api, broker } = start({ respond: scriptedHost({ policy: "allow" }), idleHostMs: 30 });
    const leaving = api.connectPage({ origin: SITE, tab: 1 });
    assert.equal((await leaving.ask(call(1))).result, "UID-1");
    leaving.disconnect();
    // The site's next page, soon after: the same session.
    const next = api.connectPage({ origin: SITE, tab: 1 });
    await new Promise((resolve) => setTimeout(resolve, 60));
    assert.equal((await next.ask(call(2))).result, "UID-1");
    next.disconnect();
    await new Promise((resolve) => setTimeout(resolve, 60));
    await settle();
    assert.equal(api.hosts[0].port.open, false, "the host's port was closed");
    assert.equal(broker.origins.size, 0, "nothing is kept for the origin");
    const later = api.connectPage({ origin: SITE, tab: 1 });
    const reply = await later.ask(call(3));
    assert.equal(reply.result, "UID-2");
    assert.equal(reply.notice, undefined, "a new page, not a restart it must hear of");
  });
});
