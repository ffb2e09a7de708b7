// The cost of the browser's road for one member call: QuillGetUID against a
// virtual token, timed from a page through quill.js, the extension and
// quill-host, beside the same request written straight to quill-host's
// standard input (framed JSON) from this process. Prints the medians and the
// difference against the goal (the browser adds at most 2 ms per call). The
// property Version, which does not reach the token, shows the messaging
// alone.
//   node member_call_bench.mjs BUILD_DIR [CALLS]
// QUILL_VIRTUAL_TOKENS names the tokens (scripts/bench-browser.sh starts them).
import { spawn } from "node:child_process";
import path from "node:path";
import { Chromium } from "../../tests/browser/lib/chromium.mjs";
import { Firefox } from "../../tests/browser/lib/firefox.mjs";
import { servePages } from "../../tests/browser/lib/page_server.mjs";
import { makeScratchFolder, stopProcess, waitFor } from "../../tests/browser/lib/processes.mjs";
import {
  buildOutputs,
  pagesFolder,
  writeChromiumHostManifest,
  writeFirefoxHostManifest,
  writePolicy,
} from "../../tests/browser/lib/setup.mjs";

const goalMs = 2;
const warmUp = 10;
const [buildDir, callsArgument] = process.argv.slice(2).concat([]);
const calls = Number(callsArgument ?? 100);
const build = path.resolve(buildDir ?? "build/linux-release");
process.env.QUILL_BROWSER_DIR ??= path.join(build, "browser");
process.env.QUILL_HOST ??= path.join(build, "control", "host", "quill-host");
process.env.QUILL_VTOKEN ??= path.join(build, "vtoken", "quill-vtoken");
const outputs = buildOutputs();

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};

// quill-host on a pipe: one framed request at a time, as the extension sends them.
async function directTimes(origin, env, request) {
  const host = spawn(outputs.host, [], {
    stdio: ["pipe", "pipe", "inherit"],
    env: { ...process.env, ...env },
  });
  let buffer = Buffer.alloc(0);
  let waiting;
  host.stdout.on("data", (chunk) => {
    buffer = Buffer.concat([buffer, chunk]);
    if (buffer.length >= 4 && buffer.length >= 4 + buffer.readUInt32LE(0)) {
      const reply = JSON.parse(buffer.subarray(4, 4 + buffer.readUInt32LE(0)).toString());
      buffer = buffer.subarray(4 + buffer.readUInt32LE(0));
      waiting(reply);
    }
  });
  const ask = (request) =>
    new Promise((resolve) => {
      waiting = resolve;
      const body = Buffer.from(JSON.stringify(request));
      const length = Buffer.alloc(4);
      length.writeUInt32LE(body.length);
      host.stdin.write(Buffer.concat([length, body]));
    });
  const times = [];
  try {
    for (let i = 0; i < warmUp + calls; i++) {
      const start = process.hrtime.bigint();
      const reply = await ask({ id: i, ...request, origin });
      const elapsed = Number(process.hrtime.bigint() - start) / 1e6;
      if (typeof reply.result !== "string" || reply.result === "") {
        throw new Error(`quill-host answered ${JSON.stringify(reply)}`);
      }
      if (i >= warmUp) times.push(elapsed);
    }
  } finally {
    host.stdin.end();
    await new Promise((resolve) => host.once("exit", resolve));
  }
  return times;
}

// The same calls from the test page, timed inside the page.
const pageLoop = (call) => `(async () => {
  const times = [];
  for (let i = 0; i < ${warmUp + calls}; i++) {
    const start = performance.now();
    const result = await ${call};
    const elapsed = performance.now() - start;
    if (typeof result !== "string" || result === "") throw new Error("${call} gave " + JSON.stringify(result));
    if (i >= ${warmUp}) times.push(elapsed);
  }
  return times;
})()`;

const cases = [
  { name: "QuillGetUID", request: { call: "QuillGetUID" }, page: "quill.QuillGetUID()" },
  { name: "get Version (no token)", request: { get: "Version" }, page: "quill.getVersion()" },
];

async function chromiumTimes(folder, url, env) {
  const profile = path.join(folder, "chromium-profile");
  writeChromiumHostManifest(profile, outputs.host, outputs.chromeId);
  const browser = await Chromium.launch({ extensionDir: outputs.chromeExtension, profileDir: profile, env });
  try {
    await browser.waitForExtension(outputs.chromeId);
    const page = await browser.openPage(url);
    await waitFor("the page library", () => page.evaluate("window.pageReady === true"));
    const times = [];
    for (const { page: call } of cases) times.push(await page.evaluate(pageLoop(call), 120000));
    return times;
  } finally {
    await browser.close();
  }
}

async function firefoxTimes(folder, url, env) {
  const home = path.join(folder, "firefox-home");
  writeFirefoxHostManifest(home, outputs.host, outputs.firefoxId);
  const browser = await Firefox.launch({ profileDir: path.join(folder, "firefox-profile"), home, env });
  try {
    await browser.installAddon(outputs.firefoxExtension);
    await browser.navigate(url);
    await waitFor("the page library", () => browser.execute("return window.pageReady === true;"));
    const times = [];
    for (const { page: call } of cases) times.push(await browser.execute(`return ${pageLoop(call)};`));
    return times;
  } finally {
    await browser.close();
  }
}

const folder = makeScratchFolder("bench-browser");
const server = await servePages(pagesFolder, outputs.quillJs);
const [origin] = server.origins;
const policyFile = path.join(folder, "policy.json");
writePolicy(policyFile, { allowed: [origin] }); // no consent prompt for the page
const env = { QUILL_POLICY_FILE: policyFile };
const url = `${origin}/index.html`;
const format = (ms) => `${ms.toFixed(3)} ms`;

try {
  console.log(`Median of ${calls} calls (after ${warmUp} to warm up), against a virtual token:`);
  const direct = [];
  for (const { request } of cases) direct.push(median(await directTimes(origin, env, request)));
  const rows = [["quill-host on a pipe (framed JSON from Node)", direct]];
  const roads = [["Chromium", chromiumTimes]];
  if (process.env.QUILL_BENCH_FIREFOX !== "0") roads.push(["Firefox ESR", firefoxTimes]);
  for (const [name, measure] of roads) {
    rows.push([`${name}: page, quill.js, extension, host`, (await measure(folder, url, env)).map(median)]);
  }
  let worst = 0;
  cases.forEach(({ name }, index) => {
    console.log(`\n${name}`);
    for (const [road, medians] of rows) {
      let line = `  ${road.padEnd(46)} ${format(medians[index])}`;
      if (road !== rows[0][0]) {
        const extra = medians[index] - direct[index];
        if (index === 0) worst = Math.max(worst, extra);
        line += `   ${extra >= 0 ? "+" : ""}${format(extra)} on top`;
      }
      console.log(line);
    }
  });
  console.log(
    `\nGoal: the browser adds at most ${goalMs} ms to a member call (QuillGetUID): ` +
      (worst <= goalMs ? `met (at most +${format(worst)}).` : `NOT met (+${format(worst)}).`),
  );
} finally {
  await server.close();
}
