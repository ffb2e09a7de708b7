// A stand-in for the browser's extension API, enough for the background's
// logic: ports between pages and the background, native ports to scripted
// hosts, storage areas, windows and tabs. Messages are delivered
// asynchronously, as browsers do.

import { webcrypto } from "node:crypto";

// Browsers have crypto on the global object; Node 18 does not.
globalThis.crypto ??= webcrypto;

export class FakeEvent {
  constructor() {
    this.listeners = [];
  }

  addListener(listener) {
    this.listeners.push(listener);
  }

  removeListener(listener) {
    this.listeners = this.listeners.filter((l) => l !== listener);
  }

  emit(...args) {
    return this.listeners.map((listener) => listener(...args));
  }
}

const later = (action) => setImmediate(action);

// Waits until nothing is left to deliver.
export async function settle(rounds = 20) {
  for (let i = 0; i < rounds; i++) await new Promise((resolve) => setImmediate(resolve));
}

export class FakeStorageArea {
  constructor(initial = {}) {
    this.values = structuredClone(initial);
  }

  async get(keys) {
    const wanted = keys === null || keys === undefined ? Object.keys(this.values) : [].concat(keys);
    const result = {};
    for (const key of wanted) if (key in this.values) result[key] = structuredClone(this.values[key]);
    return result;
  }

  async set(items) {
    Object.assign(this.values, structuredClone(items));
  }

  async remove(keys) {
    for (const key of [].concat(keys)) delete this.values[key];
  }
}

// One end of a two-ended port.
class FakePort {
  constructor(name, sender) {
    this.name = name;
    this.sender = sender;
    this.onMessage = new FakeEvent();
    this.onDisconnect = new FakeEvent();
    this.other = null;
    this.open = true;
  }

  postMessage(message) {
    if (!this.open) throw new Error("Attempting to use a disconnected port object");
    // Ports carry JSON.
    const copy = JSON.parse(JSON.stringify(message));
    later(() => {
      if (this.other.open) this.other.onMessage.emit(copy, this.other);
    });
  }

  disconnect() {
    if (!this.open) return;
    this.open = false;
    const other = this.other;
    later(() => {
      if (!other.open) return;
      other.open = false;
      other.onDisconnect.emit(other);
    });
  }
}

function portPair(name, sender) {
  const near = new FakePort(name, undefined);
  const far = new FakePort(name, sender);
  near.other = far;
  far.other = near;
  return [near, far];
}

// A scripted quill-host process: `respond(request, host)` returns the reply
// object, or undefined to answer nothing (the test answers or kills it).
export class FakeHost {
  constructor(number, respond) {
    this.number = number;
    this.respond = respond;
    this.requests = [];
    this.alive = true;
    this.port = null;
  }

  received(request) {
    this.requests.push(request);
    const reply = this.respond(request, this);
    if (reply !== undefined) this.reply(reply);
  }

  reply(reply) {
    if (this.alive) this.port.postMessage(reply);
  }

  // The process ends (crash, kill): the extension's port disconnects.
  exit(message = "Native host has exited.") {
    this.alive = false;
    this.port.open = false;
    const other = this.port.other;
    later(() => {
      if (!other.open) return;
      other.open = false;
      other.error = { message };
      other.onDisconnect.emit(other);
    });
  }

  // The page requests (not policy queries) it received.
  get memberRequests() {
    return this.requests.filter((request) => !("query" in request));
  }
}

// A host that answers like quill-host would for a few members: the policy
// answer given, "UID-<process number>" for QuillGetUID, 0 for other calls.
export function scriptedHost({ policy = "ask" } = {}) {
  return (request, host) => {
    if ("query" in request) return { id: request.id, result: policy };
    if (request.call === "QuillGetUID") return { id: request.id, result: `UID-${host.number}` };
    if (request.call === "QuillUnknown") {
      return { id: request.id, error: { code: "unknown-member", message: "no member is named 'QuillUnknown'" } };
    }
    if ("put" in request) return { id: request.id, result: null };
    return { id: request.id, result: 0 };
  };
}

export function fakeBrowser({ respond = scriptedHost(), managed = {}, hostMissing = false, session = true } = {}) {
  const extensionUrl = "chrome-extension://abcdefghijklmnopabcdefghijklmnop/";
  const api = {
    hosts: [],
    windowsCreated: [],
    respond,
    hostMissing,
    runtime: {
      id: "abcdefghijklmnopabcdefghijklmnop",
      lastError: undefined,
      onConnect: new FakeEvent(),
      onMessage: new FakeEvent(),
      getURL: (path) => extensionUrl + path,
      getManifest: () => ({ version: "3.1.0" }),
      connectNative: (name) => {
        const [near, far] = portPair(name, undefined);
        if (api.hostMissing) {
          near.open = true;
          far.open = false;
          later(() => {
            near.open = false;
            near.error = { message: "Specified native messaging host not found." };
            near.onDisconnect.emit(near);
          });
          // Sends go nowhere once it is gone.
          near.postMessage = () => {};
          return near;
        }
        const host = new FakeHost(api.hosts.length + 1, api.respond);
        host.port = far;
        far.onMessage.addListener((message) => host.received(message));
        api.hosts.push(host);
        return near;
      },
    },
    storage: {
      local: new FakeStorageArea(),
      managed: {
        get: async (keys) => {
          if (managed === null) throw new Error("Managed storage manifest not found");
          const result = {};
          for (const key of keys) if (key in managed) result[key] = structuredClone(managed[key]);
          return result;
        },
      },
      onChanged: new FakeEvent(),
    },
    windows: {
      nextId: 100,
      onRemoved: new FakeEvent(),
      create: async (options) => {
        const window = { id: api.windows.nextId++, ...options };
        api.windowsCreated.push(window);
        return window;
      },
      remove: async (id) => {
        later(() => api.windows.onRemoved.emit(id));
      },
    },
    tabs: { onRemoved: new FakeEvent() },
  };
  if (session) api.storage.session = new FakeStorageArea();

  // A page frame connecting as content.js does; returns its end of the port
  // and the replies it received.
  api.connectPage = ({ origin, url, tab = 1 } = {}) => {
    const sender = { tab: tab === null ? undefined : { id: tab }, url: url ?? `${origin}/page.html` };
    if (origin !== undefined) sender.origin = origin;
    const [near, far] = portPair("quill-page", sender);
    const replies = [];
    near.onMessage.addListener((message) => replies.push(message));
    api.runtime.onConnect.emit(far);
    near.replies = replies;
    near.ask = async (message) => {
      near.postMessage(message);
      await settle();
      return replies.find((reply) => reply.id === message.id);
    };
    return near;
  };

  // The consent window answers as its buttons do.
  api.answerConsent = async (window, choice) => {
    const prompt = new URL(window.url).searchParams.get("prompt");
    const sender = { url: extensionUrl + "consent.html?prompt=" + prompt };
    await new Promise((resolve) =>
      api.runtime.onMessage.emit({ type: "consent-answer", prompt, choice }, sender, resolve),
    );
    await settle();
  };
  return api;
}
