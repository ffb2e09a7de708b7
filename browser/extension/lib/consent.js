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

export class ConsentKeeper {
  // api: the browser's extension API (storage, windows, runtime).
  constructor(api) {
    this.api = api;
    this.local = api.storage.local;
    this.session = api.storage.session ?? new MemoryArea();
    // Open consent windows: prompt id -> {origin, tab, windowId, answered, settle}.
    this.prompts = new Map();
    this.nextPrompt = 1;
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

  async remember(origin, decision) {
    const decisions = await this.decisions();
    decisions[origin] = decision;
    await this.local.set({ [DECISIONS_KEY]: decisions });
  }

  async revoke(origin) {
    const decisions = await this.decisions();
    delete decisions[origin];
    await this.local.set({ [DECISIONS_KEY]: decisions });
    const grants = await this.session.get(null);
    const keys = Object.keys(grants ?? {}).filter((key) => key.endsWith(`|${origin}`));
    if (keys.length > 0) await this.session.remove(keys);
  }

  async tabClosed(tab) {
    const grants = await this.session.get(null);
    const keys = Object.keys(grants ?? {}).filter((key) => key.startsWith(`${tab}|`));
    if (keys.length > 0) await this.session.remove(keys);
    for (const [id, prompt] of this.prompts) {
      if (prompt.tab === tab) this.settle(id, DISMISSED);
    }
  }

  // Asks the user about the origin in this tab; resolves with the answer once
  // it is applied. A second ask for the same origin and tab joins the first.
  ask(origin, tab) {
    for (const prompt of this.prompts.values()) {
      if (prompt.origin === origin && prompt.tab === tab) return prompt.answer;
    }
    const id = this.nextPrompt++;
    const prompt = { origin, tab, windowId: null, settled: false };
    prompt.answer = new Promise((resolve) => {
      prompt.resolve = resolve;
    });
    this.prompts.set(id, prompt);
    const query = new URLSearchParams({ prompt: String(id), origin, tab: String(tab) });
    Promise.resolve()
      .then(() =>
        this.api.windows.create({
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
    const prompt = this.prompts.get(Number(id));
    if (!prompt || ![ALLOW_ONCE, ALWAYS_ALLOW, DENY].includes(choice)) return false;
    if (choice === ALWAYS_ALLOW) {
      await this.remember(prompt.origin, "allow");
    } else if (choice === DENY) {
      await this.remember(prompt.origin, "deny");
    } else {
      await this.session.set({ [grantKey(prompt.tab, prompt.origin)]: true });
    }
    this.settle(Number(id), choice);
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
