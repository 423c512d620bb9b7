// Prints the web page's size and how long Chromium takes to show its first
// prompt, the median of five loads.  A measure, not a test: the machine's
// load changes it.  After cmake --workflow --preset web, which installs
// playwright-core in tests/web:
//   node bench/page.mjs [PAGE]          (PAGE: build/web/calcstats.html)
import { statSync } from "node:fs";
import { createRequire } from "node:module";
import path from "node:path";
import { fileURLToPath, pathToFileURL } from "node:url";

const root = path.join(path.dirname(fileURLToPath(import.meta.url)), "..");
const { chromium } = createRequire(path.join(root, "tests/web/package.json"))("playwright-core");
const page = process.argv[2] ?? path.join(root, "build/web/calcstats.html");

// The moment the page first waits for an answer, as the page itself sees it.
function stamp() {
  new MutationObserver((records, observer) => {
    if (document.body?.dataset.waiting !== "line") return;
    window.firstPrompt = performance.now();
    observer.disconnect();
  }).observe(document, { attributes: true, subtree: true });
}

const browser = await chromium.launch({ executablePath: "/usr/bin/chromium", args: ["--no-sandbox", "--disable-gpu",
  "--disable-background-networking", "--disable-component-update", "--disable-sync", "--no-first-run"] });
const times = [];
for (let i = 0; i < 5; i++) {
  const tab = await browser.newPage();
  await tab.addInitScript(stamp);
  await tab.goto(pathToFileURL(page).href);
  times.push(await (await tab.waitForFunction(() => window.firstPrompt)).jsonValue());
  await tab.close();
}
await browser.close();
times.sort((a, b) => a - b);
console.log(`page size:                   ${statSync(page).size} bytes`);
console.log(`first prompt after loading:  ${times[2].toFixed(0)} ms (from ${times[0].toFixed(0)} to ${times[4].toFixed(0)})`);
