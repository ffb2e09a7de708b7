// quill-vtoken for a test: its tokens, the endpoints the host is pointed at,
// and its control socket (command log, statistics).
import fs from "node:fs";
import net from "node:net";
import path from "node:path";
import { startProcess, stopProcess, waitFor } from "./processes.mjs";

export class VirtualTokens {
  static async start(program, folder, tokenArgs) {
    const readyFile = path.join(folder, "vtoken.ready");
    const child = startProcess(program, [...tokenArgs, "--control", "0", "--ready-file", readyFile]);
    const lines = await waitFor(
      "quill-vtoken to become ready",
      () => {
        if (child.exitCode !== null) throw new Error(`quill-vtoken ended: ${child.output}`);
        const text = fs.existsSync(readyFile) ? fs.readFileSync(readyFile, "utf8") : "";
        return text.split("\n").includes("ready") && text.split("\n");
      },
      { timeoutMs: 10000 },
    );
    const tokens = lines.filter((l) => l.startsWith("token ")).map((l) => l.split(" ")[4]);
    const control = lines.find((l) => l.startsWith("control ")).split(" ")[1];
    return new VirtualTokens(child, tokens, control);
  }

  constructor(child, endpoints, controlEndpoint) {
    this.child = child;
    this.endpoints = endpoints; // "127.0.0.1:PORT" per token
    this.controlEndpoint = controlEndpoint;
  }

  // The value for QUILL_VIRTUAL_TOKENS.
  get tokenList() {
    return this.endpoints.join(",");
  }

  // One control command; resolves with the reply line, rejects on "error ...".
  command(line) {
    const [host, port] = this.controlEndpoint.split(":");
    return new Promise((resolve, reject) => {
      const socket = net.connect(Number(port), host);
      let received = "";
      socket.setTimeout(5000, () => socket.destroy(new Error(`no reply to '${line}'`)));
      socket.on("connect", () => socket.write(`${line}\n`));
      socket.on("data", (chunk) => {
        received += chunk.toString();
        const end = received.indexOf("\n");
        if (end < 0) return;
        socket.end();
        const reply = received.slice(0, end);
        if (reply.startsWith("ok")) resolve(reply);
        else reject(new Error(`quill-vtoken: '${line}' -> ${reply}`));
      });
      socket.on("error", reject);
    });
  }

  // The commands token N has answered, oldest first, as "ins:p1:p2:lc".
  async commandLog(token = 0) {
    const reply = await this.command(`log ${token} 4096`);
    return reply.split(" ").slice(1);
  }

  async exchanges(token = 0) {
    const reply = await this.command(`stats ${token}`);
    return Number(/exchanges=(\d+)/.exec(reply)[1]);
  }

  stop() {
    return stopProcess(this.child);
  }
}
