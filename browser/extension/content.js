// Runs in every http: and https: frame: the bridge between the page's
// quill.js (window.postMessage on the page's own window) and the extension's
// background (one runtime port per frame). Requests above the host's frame
// limit are refused here, before anything leaves the page.

(() => {
  const api = globalThis.browser ?? globalThis.chrome;
  const PAGE_CHANNEL = "quill-page";
  const EXTENSION_CHANNEL = "quill-extension";
  const MAX_REQUEST_BYTES = 1024 * 1024 - 4096;
  const version = api.runtime.getManifest().version;
  // Replies go to this window's own origin; an opaque origin cannot be named.
  const target = window.location.origin === "null" ? "*" : window.location.origin;

  let port = null;
  // Requests sent on the current port and not yet answered, by page id.
  const pending = new Set();

  function toPage(message) {
    window.postMessage({ channel: EXTENSION_CHANNEL, ...message }, target);
  }

  function connect() {
    const connected = api.runtime.connect({ name: PAGE_CHANNEL });
    connected.onMessage.addListener((message) => {
      if (!message || typeof message !== "object" || !pending.has(message.id)) return;
      pending.delete(message.id);
      toPage(message);
    });
    connected.onDisconnect.addListener(() => {
      if (port === connected) port = null;
      // The background went away (the extension was reloaded or its worker
      // ended): what it held is lost.
      for (const id of pending) {
        toPage({ id, error: { code: "host-exited", message: "the extension's background ended during the request" } });
      }
      pending.clear();
    });
    return connected;
  }

  function requestSize(data) {
    try {
      return new TextEncoder().encode(JSON.stringify(data)).length;
    } catch {
      return Infinity;
    }
  }

  window.addEventListener("message", (event) => {
    if (event.source !== window) return;
    const data = event.data;
    if (!data || typeof data !== "object" || data.channel !== PAGE_CHANNEL) return;
    if ("ping" in data) {
      toPage({ ready: true, version });
      return;
    }
    if (typeof data.id !== "number" || !Number.isFinite(data.id)) return;
    const request = { id: data.id, kind: data.kind, member: data.member, args: data.args };
    if (requestSize(request) > MAX_REQUEST_BYTES) {
      toPage({
        id: data.id,
        error: { code: "too-large", message: `the request is larger than ${MAX_REQUEST_BYTES} bytes` },
      });
      return;
    }
    if (pending.has(data.id)) {
      toPage({ id: data.id, error: { code: "bad-call", message: "a request with this id is still waiting" } });
      return;
    }
    pending.add(data.id);
    try {
      if (!port) port = connect();
      port.postMessage(request);
    } catch {
      // The extension was reloaded or removed under this page.
      pending.delete(data.id);
      port = null;
      toPage({ id: data.id, error: { code: "host-exited", message: "the extension is no longer running" } });
    }
  });

  toPage({ ready: true, version });
})();
