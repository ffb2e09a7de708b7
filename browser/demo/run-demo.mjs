// Opens the demo page in headless Chromium with the extension, prints what
// the page shows and saves a screenshot. The page's origin is pre-allowed by
// a machine policy file in the work folder, so no consent prompt is shown.
//   node run-demo.mjs BUILD_DIR WORK_DIR SCREENSHOT
// QUILL_VIRTUAL_TOKENS names the tokens (scripts/web-demo.sh starts them).
import path from "node:path";
import { fileURLToPath } from "node:url";
import { Chromium } from "../../tests/browser/lib/chromium.mjs";
import { servePages } from "../../tests/browser/lib/page_server.mjs";
import { waitFor } from "../../tests/browser/lib/processes.mjs";
import { buildOutputs, writeChromiumHostManifest, writePolicy } from "../../tests/browser/lib/setup.mjs";

const [buildDir, workDir, screenshot] = process.argv.slice(2).map((p) => path.resolve(p));
process.env.QUILL_BROWSER_DIR ??= path.join(buildDir, "browser");
process.env.QUILL_HOST ??= path.join(buildDir, "control", "host", "quill-host");
process.env.QUILL_VTOKEN ??= path.join(buildDir, "vtoken", "quill-vtoken");
const build = buildOutputs();

const server = await servePages(path.dirname(fileURLToPath(import.meta.url)), build.quillJs);
const [origin] = server.origins;
console.log(`Serving the demo page at ${origin}/`);
const policyFile = path.join(workDir, "policy.json");
writePolicy(policyFile, { allowed: [origin] });
console.log(`Machine policy ${policyFile}: allowedOrigins = ["${origin}"]`);

const profile = path.join(workDir, "chromium-profile");
writeChromiumHostManifest(profile, build.host, build.chromeId);
let browser;
let good = false;
try {
  browser = await Chromium.launch({
    extensionDir: build.chromeExtension,
    profileDir: profile,
    env: { QUILL_POLICY_FILE: policyFile },
  });
  await browser.waitForExtension(build.chromeId);
  console.log(`Headless Chromium with the extension ${build.chromeId}; opening the page`);
  const page = await browser.openPage(`${origin}/index.html`);
  const done = await waitFor("the demo page to finish", () => page.evaluate("document.body.dataset.done"), {
    timeoutMs: 30000,
  });
  const shown = await page.evaluate(
    `[...document.querySelectorAll("#steps li")]
       .map((li) => (li.className === "ok" ? "ok    " : "WRONG ") + li.textContent)
       .concat(["", document.getElementById("outcome").textContent])`,
  );
  console.log("\nThe page shows:");
  for (const line of shown) console.log(`  ${line}`);
  await page.screenshot(screenshot);
  console.log(`\nScreenshot: ${screenshot}`);
  good = done === "ok";
} finally {
  await browser?.close();
  await server.close();
}
process.exitCode = good ? 0 : 1;
