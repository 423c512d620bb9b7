// The page (its path the one argument) in Debian's Chromium: the transcripts'
// dialogue byte for byte, what players on a desk or a phone do with it (the
// cases of cases.json), and nothing fetched but the page itself.  At a pause
// a player acts a moment after it shows, as a person does.  The page's clock
// stands still but when a step moves it: on however busy a machine, each gap
// between two inputs is, to the page, exactly the one the case gives.
import assert from "node:assert/strict";
import { readdirSync, readFileSync, statSync } from "node:fs";
import http from "node:http";
import path from "node:path";
import { after, test } from "node:test";
import { fileURLToPath, pathToFileURL } from "node:url";
import { AxeBuilder } from "@axe-core/playwright";
import { chromium } from "playwright-core";

const here = path.dirname(fileURLToPath(import.meta.url));
const cases = JSON.parse(readFileSync(path.join(here, "cases.json"), "utf8"));
const transcripts = path.join(here, "..", "transcripts");
const url = pathToFileURL(process.argv[2]).href;
const phone = { viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true };

// Playwright's own switches keep it from the network and from first-run screens.
const browser = await chromium.launch({ executablePath: "/usr/bin/chromium", args: ["--disable-gpu"] });
after(() => browser.close());

// Watches the screen from outside the page: what the program wrote, "\f"
// where the screen was cleared; and the answers on screen, as echoed.
function watch() {
  window.written = "";
  window.echoed = () => [...document.querySelectorAll("kbd")].map(k => k.textContent).join("");
  new MutationObserver(records => {
    for (const r of records.filter(r => r.target.id === "screen")) {
      written += r.removedNodes.length > 0 ? "\f" : "";
      for (const n of r.addedNodes) written += n.nodeType === Node.TEXT_NODE ? n.data : "";
    }
  }).observe(document, { childList: true, subtree: true });
}

// What the page waits for once it has stopped: "line", "key" or "ended".
const waiting = async page => (await page.waitForFunction(() => document.body.dataset.waiting || null)).jsonValue();

async function open(options = {}) {
  const context = await browser.newContext({ ...options, permissions: ["clipboard-read", "clipboard-write"] });
  const page = await context.newPage();
  page.cdp = await context.newCDPSession(page);
  page.onward = () => onward(page);
  page.requests = [];
  page.on("request", request => page.requests.push(request.url()));
  await page.addInitScript(watch);
  await page.clock.install({ time: 0 });
  await page.clock.pauseAt(1000);
  await page.goto(url);
  await waiting(page);
  return page;
}

async function perform(page, steps) {
  for (const [name, ...args] of steps) {
    const [object, method] = name.split(".");
    await (method ? page[object][method](...args) : page[object](...args));
  }
}

const answer = (page, text) => perform(page, [["keyboard.type", text], ["keyboard.press", "Enter"]]);
const later = ["clock.runFor", 250];  // a person's moment, at a pause, and the moment that ends it

// Goes on at each pause, a moment after it shows; what the page then waits for.
async function onward(page) {
  let state;
  while ((state = await waiting(page)) === "key") await perform(page, [later, ["keyboard.press", "Space"], later]);
  return state;
}

// Pastes the input, a key at each pause; Ctrl-D sends a last line with no
// newline, and then ends the input.
async function play(page, input) {
  await waiting(page);
  await perform(page, [["evaluate", `navigator.clipboard.writeText(${JSON.stringify(input)})`], ["keyboard.press", "Control+V"]]);
  while ((await onward(page)) !== "ended") await page.keyboard.press("Control+d");
}

test("every transcript: the dialogue byte for byte, and a clear before each banner and summary", async () => {
  const page = await open();
  const printable = readdirSync(transcripts).filter(name => name.endsWith(".in") && !(name.slice(0, -3) in cases["pipes only"]) &&
    /^[\x20-\x7e\n]*$/.test(readFileSync(path.join(transcripts, name), "latin1")));
  assert.ok(printable.length >= 10, printable.join());
  for (const name of printable) {
    await page.reload();
    await play(page, readFileSync(path.join(transcripts, name), "latin1"));
    const expected = readFileSync(path.join(transcripts, name.replace(/in$/, "out")), "latin1");
    assert.equal(await page.evaluate("written"), expected.replace(/(?<=\n)(?=--- --- --- --- --- --- -\n)|(?<=\n\n)(?=---- )/g, "\f"), name);
  }
  assert.equal(await page.title(), "Calculateur de statistiques");
  assert.ok(page.requests.every(request => request === url), "no request but the page");
  assert.ok(statSync(process.argv[2]).size < 250_000, "the page stays under 250 KB");
});

test("each case, on a fresh page: the player's steps, and what then holds", async () => {
  const pages = { desk: await open(), phone: await open(phone) };
  for (const [what, on, steps, holds] of cases.cases) {
    const page = pages[on];
    await page.reload();
    await waiting(page);
    await perform(page, steps.flatMap(step => typeof step === "string" ? cases.sequences[step] : [step])).catch(e => assert.fail(`${what}: ${e}`));
    assert.ok(await page.evaluate(holds), `${what}: ${await page.evaluate("echoed()")}`);
  }
});

// The page's load held back by an image of the test's, so that the first
// answer is typed in part before the field can take it, in part after.
test("what is typed while the page starts goes whole into the first answer", async () => {
  const page = await open();
  const held = new Promise(resolve => page.route("http://held.invalid/", resolve));
  await page.addInitScript(() => addEventListener("DOMContentLoaded", () => document.body.append(Object.assign(new Image(), { src: "http://held.invalid/" }))));
  await page.goto(url, { waitUntil: "domcontentloaded" });
  await page.keyboard.type("1 1");
  await (await held).fulfill({ status: 204 });
  await page.waitForFunction(() => document.body.dataset.waiting === "line");
  await answer(page, "30 130");
  assert.ok(await page.evaluate("written.includes('| Force : 130 | Dexterite : 130 |')"));
});

// The folder for a web host, served from this machine as a host serves it:
// installable, kept for play offline after one visit online, a reload and a
// new tab alike, nothing asked for in vain, and a new version taken on the
// next visit online.
test("from a web host: installable, offline after one visit, updated on the next", async () => {
  const site = path.join(path.dirname(process.argv[2]), "site"), types = { ".html": "text/html", ".js": "text/javascript",
    ".webmanifest": "application/manifest+json", ".png": "image/png" };
  let version = "", missing = [];
  const server = http.createServer((request, response) => {
    const file = path.join(site, request.url.replace(/\/$/, "/index.html"));
    try {
      const body = readFileSync(file);
      response.writeHead(200, { "content-type": types[path.extname(file)] }).end(file.endsWith(".html") ?
        String(body).replace("</h1>", `${version}</h1>`) : body);
    } catch {
      missing.push(request.url) && response.writeHead(404).end();
    }
  }).listen(0);
  after(() => server.close());
  const page = await open(), context = page.context(), home = `http://localhost:${server.address().port}/`;
  const cycle = async tab => {
    await tab.goto(home);
    await answer(tab, "1 130 130");
    await tab.waitForFunction(() => document.getElementById("screen").textContent.includes("| Force : 130 |"));
    await perform(tab, [later, ["keyboard.press", "x"], later]);
    assert.equal(await waiting(tab), "line");
    return tab.evaluate("document.querySelector('h1').textContent");
  };
  await cycle(page);
  await page.waitForFunction("navigator.serviceWorker.controller", null, { timeout: 10_000 });
  // Playwright's contexts are incognito, which Chromium says first: the page's own errors come after.
  assert.deepEqual((await page.cdp.send("Page.getInstallabilityErrors")).installabilityErrors.map(e => e.errorId), ["in-incognito"]);
  await context.setOffline(true);
  await cycle(page);
  await cycle(await context.newPage());
  await context.setOffline(false);
  version = " 2";
  assert.equal(await cycle(page), "Calculateur de statistiques 2");
  assert.deepEqual(missing, []);
});

// axe-core's WCAG 2.x A and AA rules, the 7:1 contrast of AAA on top of the
// 4.5:1 of AA, at a question and at a pause, on a desk and at 320 px, in
// either scheme; and where axe-core does not look, a light palette for the
// light scheme.  What a screen reader says of the page is speech.test.mjs's.
test("no accessibility violation; a palette for each scheme", async () => {
  for (const [colorScheme, width] of [["dark", 1280], ["light", 1280], ["dark", 320], ["light", 320]]) {
    const page = await open({ colorScheme, viewport: { width, height: 800 } });
    await page.clock.resume();  // axe-core waits on timers of its own
    assert.equal(await page.evaluate("getComputedStyle(document.body).backgroundColor.match(/\\d+/g).reduce((s, c) => s + +c, 0) > 382"),
      colorScheme === "light", colorScheme);
    for (const at of ["question", "pause"]) {
      const { violations } = await new AxeBuilder({ page }).options({ runOnly: ["wcag2a", "wcag2aa", "wcag21a",
        "wcag21aa"], rules: { "color-contrast-enhanced": { enabled: true } } }).analyze();
      assert.deepEqual(violations.map(v => `${v.id}: ${v.nodes.map(n => n.target).join(" ")}`), [],
        `${colorScheme}, ${width} px, at a ${at}`);
      await answer(page, "0");
    }
  }
});
