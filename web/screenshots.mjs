// Makes the pictures of the page that the README and the web app manifest
// show, each with a warrior's sheet: on a desk in the dark palette, on a
// phone in the light one.  The manifest states their sizes.  After cmake --workflow --preset web, which
// installs playwright-core in tests/web:
//   node web/screenshots.mjs [PAGE]     (PAGE: build/web/calcstats.html)
import { createRequire } from "node:module";
import path from "node:path";
import { fileURLToPath, pathToFileURL } from "node:url";

const here = path.dirname(fileURLToPath(import.meta.url));
const { chromium } = createRequire(path.join(here, "../tests/web/package.json"))("playwright-core");
const page = process.argv[2] ?? path.join(here, "../build/web/calcstats.html");

const browser = await chromium.launch({ executablePath: "/usr/bin/chromium", args: ["--no-sandbox", "--disable-gpu",
  "--disable-background-networking", "--disable-component-update", "--disable-sync", "--no-first-run"] });
const devices = {
  desk: { viewport: { width: 1280, height: 800 }, colorScheme: "dark" },
  phone: { viewport: { width: 390, height: 844 }, deviceScaleFactor: 2, hasTouch: true, isMobile: true, colorScheme: "light" },
};
for (const [name, device] of Object.entries(devices)) {
  const tab = await (await browser.newContext(device)).newPage();
  await tab.goto(pathToFileURL(page).href);
  await tab.waitForFunction(() => document.body.dataset.waiting === "line");
  await tab.keyboard.type("1 130 130");
  await tab.keyboard.press("Enter");
  await tab.waitForFunction(() => document.body.dataset.waiting === "key");
  await tab.evaluate(() => scrollTo(0, 0));
  await tab.screenshot({ path: path.join(here, `screenshot-${name}.png`) });
  console.log(`screenshot-${name}.png`);
}
await browser.close();
