// The set-up the browser tests share: virtual tokens, the page server on a
// number of origins, a policy file, and a browser on a throw-away profile
// whose quill-host sees the tokens and the policy.
import path from "node:path";
import { Chromium } from "./chromium.mjs";
import { Firefox } from "./firefox.mjs";
import { servePages } from "./page_server.mjs";
import { endAfter, makeScratchFolder } from "./processes.mjs";
import {
  buildOutputs,
  pagesFolder,
  writeChromiumHostManifest,
  writeFirefoxHostManifest,
  writePolicy,
} from "./setup.mjs";
import { VirtualTokens } from "./vtoken.mjs";

async function common(name, { origins, tokens, policy }) {
  endAfter(Number(process.env.QUILL_BROWSER_TEST_DEADLINE_MS ?? 100000), `the browser test ${name}`);
  const build = buildOutputs();
  const folder = makeScratchFolder(name);
  const world = { build, folder, closers: [] };
  world.tokens = await VirtualTokens.start(build.vtoken, folder, tokens);
  world.closers.push(() => world.tokens.stop());
  world.server = await servePages(pagesFolder, build.quillJs, origins);
  world.closers.push(() => world.server.close());
  world.origins = world.server.origins;
  world.policyFile = path.join(folder, "policy.json");
  writePolicy(world.policyFile, policy ? policy(world.origins) : {});
  world.setPolicy = (lists) => writePolicy(world.policyFile, lists);
  world.hostEnv = {
    QUILL_VIRTUAL_TOKENS: world.tokens.tokenList,
    QUILL_POLICY_FILE: world.policyFile,
  };
  world.close = async () => {
    for (const close of world.closers.reverse()) await close().catch(() => {});
  };
  return world;
}

// Resolves in the test page once its script has loaded quill.js.
export const pageLibraryLoaded =
  "new Promise((r) => { const t = setInterval(() => window.pageReady && (clearInterval(t), r(true)), 20); })";

// `policy(origins)` gives the machine policy's lists for the served origins.
export async function chromiumWorld(name, { origins = 1, tokens = ["--token", "hid:A"], policy } = {}) {
  const world = await common(name, { origins, tokens, policy });
  try {
    const profile = path.join(world.folder, "profile");
    writeChromiumHostManifest(profile, world.build.host, world.build.chromeId);
    world.browser = await Chromium.launch({
      extensionDir: world.build.chromeExtension,
      profileDir: profile,
      env: world.hostEnv,
    });
    world.closers.push(() => world.browser.close());
    await world.browser.waitForExtension(world.build.chromeId);
  } catch (error) {
    await world.close();
    throw error;
  }
  // A tab on the test page of origin number `index`, the library loaded.
  world.openTestPage = async (index = 0) => {
    const page = await world.browser.openPage(`${world.origins[index]}/index.html`);
    await page.evaluate(pageLibraryLoaded, 10000);
    return page;
  };
  return world;
}

export async function firefoxWorld(name, { origins = 1, tokens = ["--token", "hid:A"], policy } = {}) {
  const world = await common(name, { origins, tokens, policy });
  try {
    const home = path.join(world.folder, "home");
    writeFirefoxHostManifest(home, world.build.host, world.build.firefoxId);
    world.browser = await Firefox.launch({
      profileDir: path.join(world.folder, "profile"),
      home,
      env: world.hostEnv,
    });
    world.closers.push(() => world.browser.close());
    // the package the monitor hands out
    world.addonId = await world.browser.installAddon(world.build.firefoxPackage);
  } catch (error) {
    await world.close();
    throw error;
  }
  return world;
}

// Runs `body(world)` and always tears the world down.
export async function withWorld(makeWorld, body) {
  const world = await makeWorld();
  try {
    return await body(world);
  } finally {
    await world.close();
  }
}

// `run(expression)` for a Chromium tab: the page's console goes with a failure.
export function chromiumRunner(page) {
  return async (expression) => {
    try {
      return await page.evaluate(expression);
    } catch (error) {
      error.message += page.console.length ? `\npage console:\n  ${page.console.join("\n  ")}` : "";
      throw error;
    }
  };
}
