// A page's quill.js, the content script and the background together, on a
// fake window and a fake browser: what a web page sees.

import { test } from "node:test";
import assert from "node:assert/strict";
import fs from "node:fs";
import path from "node:path";
import vm from "node:vm";
import { pathToFileURL } from "node:url";
import { Broker } from "../extension/lib/broker.js";
import { fakeBrowser, scriptedHost, settle } from "./support/fake_browser.mjs";
import { pageLibraryFolder, sourceRoot } from "./support/page_library.mjs";

const quillUrl = pathToFileURL(path.join(pageLibraryFolder(), "quill.js")).href;
const contentScript = fs.readFileSync(path.join(sourceRoot, "browser/extension/content.js"), "utf8");

// A window whose postMessage delivers, as browsers do, a structured clone to
// its own listeners, later.
class FakeWindow extends EventTarget {
  constructor(origin) {
    super();
    this.location = { origin };
  }

  postMessage(data, targetOrigin) {
    const copy = structuredClone(data);
    if (targetOrigin !== "*" && targetOrigin !== "/" && targetOrigin !== this.location.origin) return;
    setImmediate(() => this.deliver(copy, this));
  }

  deliver(data, source) {
    const event = new Event("message");
    event.data = data;
    event.source = source;
    this.dispatchEvent(event);
  }
}

let loaded = 0;
// What the pages' quill.js warned about.
const warnings = [];
console.warn = (...args) => warnings.push(args.join(" "));

// A page of `origin` with quill.js loaded (a fresh module each time) and,
// unless withoutExtension, the content script and a background.
async function openPage({
  origin = "https://shop.example",
  respond = scriptedHost({ policy: "allow" }),
  withoutExtension = false,
  extensionReloaded = false,
} = {}) {
  const window = new FakeWindow(origin);
  const api = fakeBrowser({ respond });
  new Broker(api).listen();
  const forwarded = [];
  if (!withoutExtension) {
    const runtime = {
      getManifest: () => ({ version: "3.1.0" }),
      connect: () => {
        if (extensionReloaded) throw new Error("Extension context invalidated.");
        const port = api.connectPage({ origin, tab: 1 });
        const post = port.postMessage.bind(port);
        port.postMessage = (message) => {
          forwarded.push(message);
          post(message);
        };
        return port;
      },
    };
    vm.runInNewContext(contentScript, { window, chrome: { runtime }, TextEncoder });
  }
  globalThis.window = window;
  try {
    const module = await import(`${quillUrl}?page=${++loaded}`);
    const warnedBefore = warnings.length;
    return {
      quill: module.default,
      QuillError: module.QuillError,
      api,
      window,
      forwarded,
      warnings: () => warnings.slice(warnedBefore),
    };
  } finally {
    delete globalThis.window;
  }
}

test("members, properties and the generic forms reach the host and come back as it answers", async () => {
  const { quill, QuillError, api } = await openPage();
  assert.equal(await quill.isAvailable(), true);
  assert.equal(await quill.QuillGetUID(), "UID-1");
  assert.equal(await quill.QuillOpen("1234"), 0);
  assert.equal(await quill.getModel(), 0);
  assert.equal(await quill.putModel(1), null);
  assert.equal(await quill.call("QuillGetUID"), "UID-1");
  assert.equal(await quill.put("Name", "Alice"), null);
  const requests = api.hosts[0].memberRequests.map(({ id, origin, ...rest }) => rest);
  assert.deepEqual(requests, [
    { call: "QuillGetUID", args: [] },
    { call: "QuillOpen", args: ["1234"] },
    { get: "Model" },
    { put: "Model", value: 1 },
    { call: "QuillGetUID", args: [] },
    { put: "Name", value: "Alice" },
  ]);
  assert.ok(api.hosts[0].requests.every((request) => request.origin === "https://shop.example"));

  const failure = await quill.call("QuillUnknown").catch((error) => error);
  assert.ok(failure instanceof QuillError);
  assert.ok(failure instanceof Error);
  assert.equal(failure.code, "unknown-member");
  assert.equal(failure.message, "no member is named 'QuillUnknown'");
  assert.equal(Object.isFrozen(quill), true);
});

test("a request above the host's frame limit never leaves the page", async () => {
  const { quill, forwarded, api } = await openPage();
  const huge = "é".repeat(520 * 1024);
  await assert.rejects(quill.QuillWriteUserStorage(huge), { name: "QuillError", code: "too-large" });
  assert.equal(forwarded.length, 0);
  assert.equal(api.hosts.length, 0);
  // Just below the limit goes through.
  assert.equal(await quill.QuillWriteUserStorage("x".repeat(1024 * 1024 - 4096 - 200)), 0);
});

test("what a window message cannot carry is refused in the page", async () => {
  const { quill } = await openPage();
  await assert.rejects(
    quill.QuillOpen(() => "1234"),
    { code: "bad-call" },
  );
});

test("an extension reloaded under the page: the call fails instead of waiting forever", async () => {
  const { quill } = await openPage({ extensionReloaded: true });
  await assert.rejects(quill.QuillGetUID(), { name: "QuillError", code: "host-exited" });
});

test("no extension: extension-missing after about a second", async () => {
  const { quill, QuillError } = await openPage({ withoutExtension: true });
  const started = Date.now();
  const failure = await quill.QuillGetUID().catch((error) => error);
  const waited = Date.now() - started;
  assert.ok(failure instanceof QuillError);
  assert.equal(failure.code, "extension-missing");
  assert.ok(waited >= 900 && waited < 3000, `waited ${waited} ms`);
  assert.equal(await quill.isAvailable(), false);
});

test("a restarted host is reported once per page", async () => {
  const respond = (request, host) => scriptedHost({ policy: "allow" })(request, host);
  const { quill, api, warnings } = await openPage({ respond });
  assert.equal(await quill.QuillGetUID(), "UID-1");
  api.hosts[0].exit();
  await settle();
  assert.equal(await quill.QuillGetUID(), "UID-2");
  api.hosts[1].exit();
  await settle();
  assert.equal(await quill.QuillGetUID(), "UID-3");
  assert.equal(warnings().length, 1);
  assert.match(warnings()[0], /started again/);
});

test("the content script answers only its own window on its channel", async () => {
  const { window, forwarded } = await openPage();
  const frame = {};
  window.deliver({ channel: "quill-page", id: 1, kind: "call", member: "QuillGetUID", args: [] }, frame);
  window.deliver({ channel: "other", id: 2, kind: "call", member: "QuillGetUID", args: [] }, window);
  window.deliver("quill-page", window);
  await settle();
  assert.equal(forwarded.length, 0);
});
