// The user's consent per origin: decisions remembered in storage.local
// ("decisions": {origin: "allow" | "deny"}), grants "once for this tab" in
// storage.session where the browser has it (else in memory; key
// `${tab}|${origin}`, dropped with the tab), and the consent window, one per
// origin and tab at a time.

export const DECISIONS_KEY = "decisions";

// Answers of the consent window.
export const ALLOW_ONCE = "allow-once";
export const ALWAYS_ALLOW = "always-allow";
export const DENY = "deny";
export const DISMISSED = "dismissed";

class MemoryArea {
  constructor() {
    this.values = new Map();
  }

  async get(keys) {
    const result = {};
    const wanted = keys === null || keys === undefined ? [...this.values.keys()] : [].concat(keys);
    for (const key of wanted) {
      if (this.values.has(key)) result[key] = this.values.get(key);
    }
    return result;
  }

  async set(items) {
    for (const [key, value] of Object.entries(items)) this.values.set(key, value);
  }

  async remove(keys) {
    for (const key of [].concat(keys)) this.values.delete(key);
  }
}

export function grantKey(tab, origin) {
  return `${tab}|${origin}`;
}

// A prompt's id: unguessable and never reused, so that a consent window left
// open from before the background restarted cannot answer another prompt.
function newPromptId() {
  const bytes = new Uint8Array(16);
  globalThis.crypto.getRandomValues(bytes);
  return Array.from(bytes, (byte) => byte.toString(16).padStart(2, "0")).join("");
}

export class ConsentKeeper {
  // api: the browser's extension API (storage, windows, runtime).
  constructor(api) {
    this.api = api;
    this.local = api.storage.local;
    this.session = api.storage.session ?? new MemoryArea();
    // Open consent windows: prompt id -> {origin, tab, windowId, answered, settle}.
    this.prompts = new Map();
    // The read-modify-writes of the decisions, one after the other.
    this.decisionWrites = Promise.resolve();
  }

  async decisions() {
    const stored = await this.local.get(DECISIONS_KEY);
    const decisions = stored?.[DECISIONS_KEY];
    return decisions && typeof decisions === "object" ? decisions : {};
  }

  // "allow", "deny" or undefined: what the user decided for the origin, in
  // this tab included.
  async decisionFor(origin, tab) {
    const remembered = (await this.decisions())[origin];
    if (remembered === "allow" || remembered === "deny") return remembered;
    const key = grantKey(tab, origin);
    const grants = await this.session.get(key);
    return grants?.[key] === true ? "allow" : undefined;
  }

  // Applies `change` to the stored decisions once the writes before it are
  // done, so that an answer and a revoke at the same moment never undo
  // each other.
  changeDecisions(change) {
    const write = this.decisionWrites.then(async () => {
      const decisions = await this.decisions();
      change(decisions);
      await this.local.set({ [DECISIONS_KEY]: decisions });
    });
    this.decisionWrites = write.catch(() => {});
    return write;
  }

  remember(origin, decision) {
    return this.changeDecisions((decisions) => {
      decisions[origin] = decision;
    });
  }

  async revoke(origin) {
    await this.changeDecisions((decisions) => {
      delete decisions[origin];
    });
    const grants = await this.session.get(null);
    const keys = Object.keys(grants ?? {}).filter((key) => key.endsWith(`|${origin}`));
    if (keys.length > 0) await this.session.remove(keys);
  }

  async tabClosed(tab) {
    const grants = await this.session.get(null);
    const keys = Object.keys(grants ?? {}).filter((key) => key.startsWith(`${tab}|`));
    if (keys.length > 0) await this.session.remove(keys);
    for (const [id, prompt] of this.prompts) {
      if (prompt.tab !== tab) continue;
      this.settle(id, DISMISSED);
      // Its window would ask about a tab that is gone.
      if (prompt.windowId !== null) this.api.windows.remove(prompt.windowId).catch(() => {});
    }
  }

  // Asks the user about the origin in this tab; resolves with the answer once
  // it is applied. A second ask for the same origin and tab joins the first.
  // A tab has one window at a time, so that a page with frames of many
  // origins cannot open a window for each at once: the next one opens when
  // the one before it is answered.
  ask(origin, tab) {
    for (const prompt of this.prompts.values()) {
      if (prompt.origin === origin && prompt.tab === tab) return prompt.answer;
    }
    const id = newPromptId();
    const prompt = { origin, tab, windowId: null, settled: false };
    prompt.answer = new Promise((resolve) => {
      prompt.resolve = resolve;
    });
    const before = [...this.prompts.values()].filter((other) => other.tab === tab).map((other) => other.answer);
    this.prompts.set(id, prompt);
    const query = new URLSearchParams({ prompt: id, origin, tab: String(tab) });
    Promise.all(before)
      .then(() =>
        prompt.settled
          ? undefined
          : this.api.windows.create({
              type: "popup",
              url: this.api.runtime.getURL(`consent.html?${query}`),
              width: 460,
              height: 300,
            }),
      )
      .then(
        (window) => {
          if (prompt.settled) {
            if (window?.id !== undefined) this.api.windows.remove(window.id).catch(() => {});
          } else {
            prompt.windowId = window?.id ?? null;
          }
        },
        () => this.settle(id, DISMISSED),
      );
    return prompt.answer;
  }

  // The consent window's answer. Returns false for an unknown prompt.
  async answer(id, choice) {
    const prompt = this.prompts.get(String(id));
    if (!prompt || ![ALLOW_ONCE, ALWAYS_ALLOW, DENY].includes(choice)) return false;
    if (choice === ALWAYS_ALLOW) {
      await this.remember(prompt.origin, "allow");
    } else if (choice === DENY) {
      await this.remember(prompt.origin, "deny");
    } else {
      await this.session.set({ [grantKey(prompt.tab, prompt.origin)]: true });
    }
    this.settle(String(id), choice);
    return true;
  }

  // A consent window closed without an answer denies this time only.
  windowClosed(windowId) {
    for (const [id, prompt] of this.prompts) {
      if (prompt.windowId === windowId) this.settle(id, DISMISSED);
    }
  }

  settle(id, choice) {
    const prompt = this.prompts.get(id);
    if (!prompt || prompt.settled) return;
    prompt.settled = true;
    this.prompts.delete(id);
    prompt.resolve(choice);
  }
}
