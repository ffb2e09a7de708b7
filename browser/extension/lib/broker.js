// The background's work: pages' requests in, the decision whether an origin
// may reach the token, and one quill-host session per origin.
//
// For a request from origin O in tab T:
//   1. the browser's managed storage: forbidden -> origin-forbidden,
//      allowed -> send;
//   2. the machine policy (asked of the host once per host start):
//      forbid -> origin-forbidden, allow -> send, ask -> 3;
//   3. the user's decision: remembered allow or a grant for this tab -> send,
//      remembered deny -> consent-denied;
//   4. ask the user; the tab's requests wait for the answer.

import { ALLOW_ONCE, ALWAYS_ALLOW, ConsentKeeper } from "./consent.js";
import { FairQueue, MAX_WAITING_PER_TAB } from "./fair_queue.js";
import { HostError, HostLink } from "./host_link.js";
import { managedDecision, senderOrigin } from "./origin_rules.js";
import { checkPageMessage, hostRequest } from "./page_request.js";

export const PAGE_PORT_NAME = "quill-page";
// How long an origin's host outlives the last of its frames that used it, so
// that moving between a site's pages keeps the session while a site that
// is gone (or a page that made frames of many origins) holds no process.
export const IDLE_HOST_MS = 60 * 1000;
const MANAGED_KEYS = ["forbiddenOrigins", "allowedOrigins"];

function failure(code, message) {
  return { error: { code, message } };
}

// One page frame's connection.
class Frame {
  constructor(port) {
    this.port = port;
    this.gone = false;
  }

  reply(message) {
    if (this.gone) return;
    try {
      this.port.postMessage(message);
    } catch {
      this.gone = true;
    }
  }
}

export class Broker {
  // api: the browser's extension API, or a fake with the same shape.
  constructor(api, { hostName, consent, idleHostMs = IDLE_HOST_MS } = {}) {
    this.api = api;
    this.hostName = hostName;
    this.consent = consent ?? new ConsentKeeper(api);
    this.idleHostMs = idleHostMs;
    // origin -> {link, queue, running, frames, idleTimer}
    this.origins = new Map();
    this.managed = null;
  }

  // Wires the browser's events.
  listen() {
    const { runtime, tabs, windows, storage } = this.api;
    runtime.onConnect.addListener((port) => this.connected(port));
    runtime.onMessage.addListener((message, sender, sendResponse) => {
      const answer = this.extensionMessage(message, sender);
      if (answer === undefined) return false;
      // Answered later through sendResponse, which both browsers support.
      answer.then(sendResponse, () => sendResponse(false));
      return true;
    });
    tabs?.onRemoved?.addListener((tab) => {
      this.consent.tabClosed(tab);
    });
    windows?.onRemoved?.addListener((windowId) => this.consent.windowClosed(windowId));
    storage.onChanged?.addListener((changes, area) => {
      if (area === "managed") this.managed = null;
    });
    this.managedSettings();
  }

  connected(port) {
    if (port.name !== PAGE_PORT_NAME) return;
    const frame = new Frame(port);
    const origin = senderOrigin(port.sender);
    const tab = port.sender?.tab?.id ?? -1;
    if (origin !== null) this.frameCame(origin);
    port.onMessage.addListener((message) => this.pageMessage(frame, origin, tab, message));
    port.onDisconnect.addListener(() => {
      frame.gone = true;
      if (origin === null) return;
      // Its waiting requests go; a reply in flight for it is discarded.
      this.origins.get(origin)?.queue.remove((item) => item.frame === frame);
      this.frameLeft(origin);
    });
  }

  frameCame(origin) {
    const service = this.service(origin);
    service.frames += 1;
    clearTimeout(service.idleTimer);
    service.idleTimer = undefined;
  }

  // The origin's last frame gone: its host ends unless a frame comes back soon.
  frameLeft(origin) {
    const service = this.origins.get(origin);
    if (!service) return;
    service.frames -= 1;
    if (service.frames > 0) return;
    service.idleTimer = setTimeout(() => {
      if (this.origins.get(origin) !== service || service.frames > 0) return;
      this.origins.delete(origin);
      service.link.close();
    }, this.idleHostMs);
  }

  pageMessage(frame, origin, tab, message) {
    const checked = checkPageMessage(message);
    if (checked.ignore) return;
    const id = message.id;
    if (checked.error) {
      frame.reply({ id, ...checked });
      return;
    }
    if (origin === null) {
      frame.reply({ id, ...failure("bad-origin", "only http: and https: pages may use the token") });
      return;
    }
    const service = this.service(origin);
    if (!service.queue.push(tab, { frame, request: checked.request })) {
      frame.reply({ id, ...failure("busy", `more than ${MAX_WAITING_PER_TAB} requests of this tab are waiting`) });
      return;
    }
    this.pump(origin);
  }

  service(origin) {
    let service = this.origins.get(origin);
    if (!service) {
      service = {
        link: new HostLink(this.api.runtime, this.hostName),
        queue: new FairQueue(),
        running: false,
        frames: 0,
        idleTimer: undefined,
      };
      this.origins.set(origin, service);
    }
    return service;
  }

  // Serves the origin's queue, one request at a time.
  async pump(origin) {
    const service = this.service(origin);
    if (service.running) return;
    service.running = true;
    try {
      let next;
      while ((next = service.queue.shift())) {
        const { item } = next;
        try {
          await this.serve(origin, service, next.tab, item);
        } catch (error) {
          // A browser API that failed (storage, windows): the page still
          // gets an answer, and the queue goes on.
          item.frame.reply({ id: item.request.id, ...failure("host-exited", `the extension failed: ${error}`) });
        }
      }
    } finally {
      service.running = false;
    }
  }

  async serve(origin, service, tab, item) {
    const { frame, request } = item;
    if (frame.gone) return;
    const verdict = await this.decide(origin, tab, service);
    if (verdict === "ask") {
      service.queue.unshift(tab, item);
      service.queue.block(tab);
      this.consent.ask(origin, tab).then((choice) => {
        service.queue.unblock(tab);
        if (choice !== ALLOW_ONCE && choice !== ALWAYS_ALLOW) {
          for (const waiting of service.queue.takeTab(tab)) {
            waiting.frame.reply({
              id: waiting.request.id,
              ...failure("consent-denied", `the user did not allow ${origin} to use the token`),
            });
          }
        }
        if (this.origins.get(origin) === service) this.pump(origin);
      });
      return;
    }
    if (verdict !== "allow") {
      frame.reply({ id: request.id, ...verdict });
      return;
    }
    let reply;
    try {
      const answer = await service.link.send(hostRequest(request, origin));
      reply = "error" in answer ? { error: answer.error } : { result: answer.result };
      // The first reply of a host started again after one had ended.
      if (service.link.takeRestartNotice()) reply.notice = "host-restarted";
    } catch (error) {
      reply = failure(error instanceof HostError ? error.code : "host-exited", error.message);
    }
    frame.reply({ id: request.id, ...reply });
  }

  // "allow", "ask", or a failure to give the page.
  async decide(origin, tab, service) {
    const managed = managedDecision(await this.managedSettings(), origin);
    if (managed === "unreadable") {
      return failure("policy-unreadable", "the browser's managed settings for this extension are malformed");
    }
    if (managed === "forbid") return failure("origin-forbidden", `an administrator forbade ${origin} to use the token`);
    if (managed === "allow") return "allow";

    if (service.link.policy === null) {
      let answer;
      try {
        answer = await service.link.send({ origin, query: "policy" });
      } catch (error) {
        return failure(error instanceof HostError ? error.code : "host-exited", error.message);
      }
      if (answer.error) return { error: answer.error };
      service.link.policy = answer.result;
    }
    if (service.link.policy === "forbid") {
      return failure("origin-forbidden", `an administrator forbade ${origin} to use the token`);
    }
    if (service.link.policy === "allow") return "allow";

    const decision = await this.consent.decisionFor(origin, tab);
    if (decision === "allow") return "allow";
    if (decision === "deny") return failure("consent-denied", `the user denied ${origin} the use of the token`);
    return "ask";
  }

  // The managed settings, read once and again after they change. The first
  // read can take seconds in Chromium, so listen() starts it at once.
  managedSettings() {
    if (this.managed === null) {
      const managed = this.api.storage.managed;
      this.managed = Promise.resolve()
        .then(() => managed?.get(MANAGED_KEYS))
        .then(
          (settings) => settings ?? {},
          // Firefox rejects when no managed settings were installed.
          () => ({}),
        );
    }
    return this.managed;
  }

  // Messages from the extension's own pages (consent window, options page).
  extensionMessage(message, sender) {
    const ownPage = (page) => typeof sender?.url === "string" && sender.url.startsWith(this.api.runtime.getURL(page));
    if (message?.type === "consent-answer" && ownPage("consent.html")) {
      return this.consent.answer(message.prompt, message.choice);
    }
    if (message?.type === "revoke" && typeof message.origin === "string" && ownPage("options.html")) {
      return this.revoke(message.origin).then(() => true);
    }
    return undefined;
  }

  // Forgets the user's decision for the origin and ends its host session.
  async revoke(origin) {
    await this.consent.revoke(origin);
    this.origins.get(origin)?.link.close();
  }
}
