// Headless Firefox ESR driven through its own remote protocol (Marionette:
// length-prefixed JSON over TCP), with the extension installed as a
// temporary add-on and HOME pointed at a scratch folder, so that the host
// manifest there is the one Firefox reads.
import fs from "node:fs";
import net from "node:net";
import path from "node:path";
import { descendantsRunning, startProcess, stopProcess, waitFor, within } from "./processes.mjs";

const preferences = {
  "marionette.port": 0, // Firefox picks a free port and writes it to MarionetteActivePort
  "browser.shell.checkDefaultBrowser": false,
  "browser.startup.homepage_override.mstone": "ignore",
  "datareporting.policy.dataSubmissionEnabled": false,
  "toolkit.telemetry.reportingpolicy.firstRun": false,
  "app.update.disabledForTesting": true,
  "extensions.autoDisableScopes": 0,
  "browser.tabs.warnOnClose": false,
  "privacy.reduceTimerPrecision": false, // pages time calls to the sub-millisecond (benchmark)
};

export class Firefox {
  static async launch({ profileDir, home, env = {}, program = process.env.QUILL_FIREFOX ?? "firefox-esr" }) {
    fs.mkdirSync(profileDir, { recursive: true });
    const userJs = Object.entries(preferences)
      .map(([name, value]) => `user_pref(${JSON.stringify(name)}, ${JSON.stringify(value)});`)
      .join("\n");
    fs.writeFileSync(path.join(profileDir, "user.js"), `${userJs}\n`);
    const child = startProcess(
      program,
      ["--headless", "--marionette", "--no-remote", "--profile", profileDir],
      {
        env: { ...process.env, ...env, HOME: home, MOZ_HEADLESS: "1" },
      },
    );
    const browser = new Firefox(child);
    try {
      const port = await waitFor(
        "Firefox to open its Marionette port",
        () => {
          if (child.exitCode !== null) throw new Error(`Firefox ended early:\n${child.output}`);
          const file = path.join(profileDir, "MarionetteActivePort");
          return fs.existsSync(file) && Number(fs.readFileSync(file, "utf8").trim());
        },
        { timeoutMs: 30000 },
      );
      await browser.connect(port);
      await browser.send("WebDriver:NewSession", {
        capabilities: { alwaysMatch: { acceptInsecureCerts: true } },
      });
      await browser.send("WebDriver:SetTimeouts", { script: 60000, pageLoad: 30000, implicit: 0 });
    } catch (error) {
      await browser.close();
      throw error;
    }
    return browser;
  }

  constructor(child) {
    this.child = child;
    this.nextId = 1;
    this.pending = new Map();
    this.buffer = Buffer.alloc(0);
  }

  async connect(port) {
    this.socket = net.connect(port, "127.0.0.1");
    const greeting = new Promise((resolve, reject) => {
      this.greeted = resolve;
      this.socket.once("error", reject);
    });
    this.socket.on("data", (chunk) => this.receive(chunk));
    this.socket.on("close", () => {
      for (const { reject } of this.pending.values()) reject(new Error("the Marionette connection closed"));
      this.pending.clear();
    });
    await within("Marionette's greeting", greeting, 15000);
  }

  receive(chunk) {
    this.buffer = Buffer.concat([this.buffer, chunk]);
    for (;;) {
      const colon = this.buffer.indexOf(":");
      if (colon < 0) return;
      const length = Number(this.buffer.subarray(0, colon).toString());
      if (this.buffer.length < colon + 1 + length) return;
      const message = JSON.parse(this.buffer.subarray(colon + 1, colon + 1 + length).toString());
      this.buffer = this.buffer.subarray(colon + 1 + length);
      if (!Array.isArray(message)) {
        this.greeted?.(message);
        this.greeted = undefined;
        continue;
      }
      const [, id, error, result] = message;
      const waiting = this.pending.get(id);
      this.pending.delete(id);
      if (!waiting) continue;
      if (error) waiting.reject(new Error(`${waiting.command}: ${error.error}: ${error.message}`));
      else waiting.resolve(result);
    }
  }

  send(command, params = {}, timeoutMs = 60000) {
    const id = this.nextId++;
    const body = Buffer.from(JSON.stringify([0, id, command, params]));
    const reply = new Promise((resolve, reject) => {
      this.pending.set(id, { resolve, reject, command });
      this.socket.write(`${body.length}:`);
      this.socket.write(body);
    });
    return within(`Marionette ${command}`, reply, timeoutMs);
  }

  async installAddon(extensionPath) {
    const result = await this.send("Addon:Install", { path: extensionPath, temporary: true });
    return result?.value ?? result;
  }

  async navigate(url) {
    await this.send("WebDriver:Navigate", { url });
  }

  // Runs a function body in the current page (a returned promise is awaited).
  async execute(body, args = []) {
    const result = await this.send("WebDriver:ExecuteScript", { script: body, args });
    return result?.value;
  }

  async windowHandles() {
    const result = await this.send("WebDriver:GetWindowHandles");
    return result?.value ?? result;
  }

  async switchTo(handle) {
    await this.send("WebDriver:SwitchToWindow", { handle, focus: true });
  }

  async currentUrl() {
    const result = await this.send("WebDriver:GetCurrentURL");
    return result?.value ?? result;
  }

  async screenshot(file) {
    const result = await this.send("WebDriver:TakeScreenshot", { full: false, hash: false });
    fs.mkdirSync(path.dirname(file), { recursive: true });
    fs.writeFileSync(file, Buffer.from(result?.value ?? result, "base64"));
  }

  hostProcesses(hostPath) {
    return descendantsRunning(this.child.pid, hostPath);
  }

  async close() {
    try {
      if (this.socket && !this.socket.destroyed) {
        await this.send("Marionette:Quit", { flags: ["eForceQuit"] }, 5000).catch(() => {});
        this.socket.destroy();
      }
    } finally {
      await stopProcess(this.child, 5000);
    }
  }
}
