// How much later the web page shows its first question than a baseline page
// does: the same file with the program replaced by one line of script that
// writes the first screen and waits for the answer.  Both load in turn, the
// order turned each round, 11 times each, in a fresh context each time, at
// desk speed and with the CPU slowed four times, as a cheap phone runs.  The
// time runs from navigation to the moment the field waits for an answer.  A
// measure, not a test: only the ratios mean much on a busy machine.  After
// cmake --workflow --preset web, which installs playwright-core in tests/web:
//   node bench/page.mjs [PAGE]          (PAGE: build/web/calcstats.html)
import { mkdtempSync, readFileSync, statSync, writeFileSync } from "node:fs";
import { createRequire } from "node:module";
import { tmpdir } from "node:os";
import path from "node:path";
import { fileURLToPath, pathToFileURL } from "node:url";

const root = path.join(path.dirname(fileURLToPath(import.meta.url)), "..");
const { chromium } = createRequire(path.join(root, "tests/web/package.json"))("playwright-core");
const page = process.argv[2] ?? path.join(root, "build/web/calcstats.html");
const rounds = 11;

// The moment the page first waits for an answer, as the page itself sees it.
function stamp() {
  new MutationObserver((records, observer) => {
    if (document.body?.dataset.waiting !== "line") return;
    window.firstPrompt = performance.now();
    observer.disconnect();
  }).observe(document, { attributes: true, subtree: true });
}

const browser = await chromium.launch({ executablePath: "/usr/bin/chromium", args: ["--disable-gpu"] });

async function load(url, slowdown) {
  const context = await browser.newContext();
  const tab = await context.newPage();
  await (await context.newCDPSession(tab)).send("Emulation.setCPUThrottlingRate", { rate: slowdown });
  await tab.addInitScript(stamp);
  await tab.goto(url);
  const time = await (await tab.waitForFunction(() => window.firstPrompt)).jsonValue();
  const screen = await tab.evaluate(() => [document.title, document.getElementById("screen").textContent]);
  await context.close();
  return { time, screen };
}

// The baseline: the program's script gives way to one line that does what
// the program does up to its first question.
const html = readFileSync(page, "utf8");
const [title, screen] = (await load(pathToFileURL(page).href, 1)).screen;
const baseline = path.join(mkdtempSync(path.join(tmpdir(), "bench-")), "baseline.html");
writeFileSync(baseline, html.slice(0, html.lastIndexOf("<script>")) + `<script>document.title = ${JSON.stringify(title)}; ` +
  `calcstats.write(${JSON.stringify(screen)}); calcstats.read(new Uint8Array(65536));</script>\n</body>\n</html>\n`);

const median = times => times.sort((a, b) => a - b)[times.length >> 1];
console.log(`page size: ${statSync(page).size} bytes (baseline ${statSync(baseline).size})`);
for (const slowdown of [1, 4]) {
  const times = { page: [], baseline: [] };
  for (let round = 0; round < rounds; round++) {
    const order = round % 2 ? ["baseline", "page"] : ["page", "baseline"];
    for (const which of order)
      times[which].push((await load(pathToFileURL(which === "page" ? page : baseline).href, slowdown)).time);
  }
  const [a, b] = [median(times.page), median(times.baseline)];
  console.log(`${slowdown === 1 ? "desk speed:     " : "CPU 4x slower:  "} page ${a.toFixed(0)} ms, baseline ` +
    `${b.toFixed(0)} ms, ratio ${(a / b).toFixed(2)}`);
}
await browser.close();
