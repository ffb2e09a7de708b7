// Headless Chromium with the unpacked extension, driven over the DevTools
// protocol (one WebSocket to the browser, flat sessions per target).
import fs from "node:fs";
import path from "node:path";
import { createRequire } from "node:module";
import { fileURLToPath } from "node:url";
import { descendantsRunning, startProcess, stopProcess, waitFor, within } from "./processes.mjs";

// `ws` comes from the checkout's browser/node_modules (npm ci of
// browser/package.json, run by the quill_extension build), or from
// QUILL_NODE_MODULES.
const nodeModules =
  process.env.QUILL_NODE_MODULES ??
  path.resolve(path.dirname(fileURLToPath(import.meta.url)), "..", "..", "..", "browser", "node_modules");
const WebSocket = createRequire(path.join(nodeModules, "resolve-from-here.js"))("ws");

export class Chromium {
  // Starts Chromium on a fresh profile, with the unpacked extension when
  // `extensionDir` is given; `env` is passed on to the browser and so to
  // quill-host.
  static async launch({
    extensionDir,
    profileDir,
    env = {},
    program = process.env.QUILL_CHROMIUM ?? "chromium",
  }) {
    const args = [
      "--headless=new",
      "--no-sandbox",
      `--user-data-dir=${profileDir}`,
      ...(extensionDir
        ? [
            `--load-extension=${extensionDir}`,
            `--disable-extensions-except=${extensionDir}`,
            "--disable-features=DisableLoadExtensionCommandLineSwitch",
          ]
        : ["--disable-extensions"]),
      "--remote-debugging-port=0",
      "--no-first-run",
      "--no-default-browser-check",
      "--disable-gpu",
      "--window-size=900,700",
      "about:blank",
    ];
    const child = startProcess(program, args, { env: { ...process.env, ...env } });
    let endpoint;
    try {
      endpoint = await waitFor(
        "Chromium to print its DevTools address",
        () => {
          if (child.exitCode !== null) throw new Error(`Chromium ended early:\n${child.output}`);
          const portFile = path.join(profileDir, "DevToolsActivePort");
          if (fs.existsSync(portFile)) {
            const [port, browserPath] = fs.readFileSync(portFile, "utf8").split("\n");
            if (port && browserPath) return `ws://127.0.0.1:${port}${browserPath}`;
          }
          return /DevTools listening on (ws:\/\/\S+)/.exec(child.output)?.[1];
        },
        { timeoutMs: 20000 },
      );
    } catch (error) {
      await stopProcess(child);
      throw error;
    }
    const browser = new Chromium(child, profileDir);
    try {
      await browser.connect(endpoint);
    } catch (error) {
      await browser.close();
      throw error;
    }
    return browser;
  }

  constructor(child, profileDir) {
    this.child = child;
    this.profileDir = profileDir;
    this.nextId = 1;
    this.pending = new Map();
    this.listeners = new Set();
    this.targets = new Map(); // targetId -> targetInfo
  }

  async connect(endpoint) {
    this.socket = new WebSocket(endpoint, { perMessageDeflate: false, maxPayload: 256 * 1024 * 1024 });
    await within(
      "the DevTools connection",
      new Promise((resolve, reject) => {
        this.socket.once("open", resolve);
        this.socket.once("error", reject);
      }),
      10000,
    );
    this.socket.on("message", (data) => this.dispatch(JSON.parse(data.toString())));
    this.socket.on("close", () => {
      for (const { reject } of this.pending.values()) reject(new Error("the DevTools connection closed"));
      this.pending.clear();
    });
    this.on((message) => {
      if (message.method === "Target.targetCreated" || message.method === "Target.targetInfoChanged") {
        this.targets.set(message.params.targetInfo.targetId, message.params.targetInfo);
      } else if (message.method === "Target.targetDestroyed") {
        this.targets.delete(message.params.targetId);
      }
    });
    await this.send("Target.setDiscoverTargets", { discover: true });
  }

  dispatch(message) {
    if (message.id !== undefined) {
      const waiting = this.pending.get(message.id);
      this.pending.delete(message.id);
      if (!waiting) return;
      if (message.error) waiting.reject(new Error(`${waiting.method}: ${message.error.message}`));
      else waiting.resolve(message.result);
      return;
    }
    for (const listener of this.listeners) listener(message);
  }

  on(listener) {
    this.listeners.add(listener);
    return () => this.listeners.delete(listener);
  }

  send(method, params = {}, sessionId = undefined, timeoutMs = 30000) {
    const id = this.nextId++;
    const message = { id, method, params };
    if (sessionId) message.sessionId = sessionId;
    const reply = new Promise((resolve, reject) => {
      this.pending.set(id, { resolve, reject, method });
      this.socket.send(JSON.stringify(message));
    });
    return within(`DevTools ${method}`, reply, timeoutMs);
  }

  // Waits for a target (page, popup, service worker) whose info matches.
  waitForTarget(what, predicate, timeoutMs = 10000) {
    return waitFor(what, () => [...this.targets.values()].find(predicate), { timeoutMs });
  }

  // The extension's service worker runs: its content scripts are registered.
  waitForExtension(extensionId, timeoutMs = 15000) {
    return this.waitForTarget(
      "the extension's service worker",
      (t) => t.type === "service_worker" && t.url.startsWith(`chrome-extension://${extensionId}/`),
      timeoutMs,
    );
  }

  async attach(targetInfo) {
    const { sessionId } = await this.send("Target.attachToTarget", {
      targetId: targetInfo.targetId,
      flatten: true,
    });
    const page = new Page(this, targetInfo.targetId, sessionId);
    await page.start(targetInfo.type ?? "page");
    return page;
  }

  // A new tab showing `url`, loaded.
  async openPage(url) {
    const { targetId } = await this.send("Target.createTarget", { url: "about:blank" });
    const page = await this.attach({ targetId });
    await page.navigate(url);
    return page;
  }

  // quill-host processes this browser started.
  hostProcesses(hostPath) {
    return descendantsRunning(this.child.pid, hostPath);
  }

  async close() {
    try {
      if (this.socket?.readyState === WebSocket.OPEN) {
        await this.send("Browser.close", {}, undefined, 3000).catch(() => {});
      }
      this.socket?.terminate();
    } finally {
      await stopProcess(this.child);
    }
  }
}

export class Page {
  constructor(browser, targetId, sessionId) {
    this.browser = browser;
    this.targetId = targetId;
    this.sessionId = sessionId;
    this.console = []; // console lines and uncaught errors, for failure messages
  }

  async start(type) {
    this.browser.on((message) => {
      if (message.sessionId !== this.sessionId) return;
      if (message.method === "Runtime.consoleAPICalled") {
        const text = message.params.args.map((a) => a.value ?? a.description ?? "").join(" ");
        this.console.push(`${message.params.type}: ${text}`);
      } else if (message.method === "Runtime.exceptionThrown") {
        const details = message.params.exceptionDetails;
        this.console.push(`exception: ${details.exception?.description ?? details.text}`);
      }
    });
    await this.send("Runtime.enable");
    if (type === "page") await this.send("Page.enable"); // workers have no Page domain
  }

  send(method, params = {}, timeoutMs = 30000) {
    return this.browser.send(method, params, this.sessionId, timeoutMs);
  }

  async navigate(url, readyExpression = "document.readyState === 'complete'") {
    await this.send("Page.navigate", { url });
    await waitFor(
      `${url} to load`,
      () => this.evaluate(`location.href === ${JSON.stringify(url)} && (${readyExpression})`),
      {
        timeoutMs: 15000,
      },
    );
  }

  // Runs an expression in the page (promises awaited) and returns its value;
  // a thrown error or rejection becomes an Error here.
  async evaluate(expression, timeoutMs = 30000) {
    const reply = await this.send(
      "Runtime.evaluate",
      { expression, awaitPromise: true, returnByValue: true, userGesture: true },
      timeoutMs,
    );
    if (reply.exceptionDetails) {
      const details = reply.exceptionDetails;
      throw new Error(`in the page: ${details.exception?.description ?? details.text}`);
    }
    return reply.result.value;
  }

  async screenshot(file) {
    const { data } = await this.send("Page.captureScreenshot", { format: "png" });
    fs.mkdirSync(path.dirname(file), { recursive: true });
    fs.writeFileSync(file, Buffer.from(data, "base64"));
  }

  async close() {
    await this.browser.send("Target.closeTarget", { targetId: this.targetId }).catch(() => {});
  }
}
