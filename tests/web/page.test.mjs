// The web page in Debian's Chromium: the same dialogue as the console, its
// effects, and nothing fetched but the page itself.
import assert from "node:assert/strict";
import { copyFileSync, mkdtempSync, readdirSync, readFileSync, statSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";
import { after, before, test } from "node:test";
import { pathToFileURL } from "node:url";
import { chromium } from "playwright-core";

// The page alone in an empty folder, as a player who was sent it has it.
const folder = mkdtempSync(path.join(tmpdir(), "calcstats-"));
copyFileSync(process.env.PAGE, path.join(folder, "calcstats.html"));
const url = pathToFileURL(path.join(folder, "calcstats.html")).href;
const transcripts = process.env.TRANSCRIPTS;

let browser;
before(async () => {
  browser = await chromium.launch({
    executablePath: "/usr/bin/chromium",
    args: ["--no-sandbox", "--disable-gpu", "--disable-background-networking", "--disable-component-update",
           "--disable-sync", "--no-first-run", "--disable-quic"],
  });
});
after(() => browser.close());

// Watches the screen from outside the page: its text nodes are what the
// program wrote, null marks a clear; the echoed answers are kbd elements.
function watch() {
  window.written = [];
  new MutationObserver(records => {
    for (const r of records) {
      if (r.target.id !== "screen") continue;
      if (r.removedNodes.length > 0) written.push(null);
      for (const n of r.addedNodes) if (n.nodeType === Node.TEXT_NODE) written.push(n.data);
    }
  }).observe(document, { childList: true, subtree: true });
}

async function open(options = {}) {
  const context = await browser.newContext(options);
  const page = await context.newPage();
  page.requests = [];
  page.on("request", request => page.requests.push(request.url()));
  await page.addInitScript(watch);
  await page.goto(url);
  return page;
}

// What the page waits for once it has stopped: "line", "key" or "ended".
async function waiting(page) {
  const handle = await page.waitForFunction(() => document.body.dataset.waiting || null);
  return handle.jsonValue();
}

const written = page => page.evaluate(() => written.filter(text => text !== null).join(""));

// Types input line by line, a key at each pause; its end is Ctrl-D, as on a
// terminal (twice after a last line with no newline).
async function play(page, input) {
  const lines = input.split("\n");
  const last = lines.pop();
  const answers = lines.map(text => [text, "Enter"]);
  answers.push([last, "Control+d"]);
  if (last !== "") answers.push(["", "Control+d"]);
  for (let state; (state = await waiting(page)) !== "ended";) {
    if (state === "key") {
      await page.keyboard.press("Space");
      continue;
    }
    const [text, key] = answers.shift();
    await page.fill("#answer", text);
    await page.press("#answer", key);
  }
}

test("every transcript of printable lines gives its output byte for byte", async () => {
  const page = await open();
  let played = 0;
  for (const name of readdirSync(transcripts).filter(f => f.endsWith(".in")).sort()) {
    const input = readFileSync(path.join(transcripts, name), "latin1");
    if (!/^[\x20-\x7e\n]*$/.test(input)) continue;
    played++;
    await page.reload();
    await play(page, input);
    const expected = readFileSync(path.join(transcripts, name.replace(/\.in$/, ".out")), "latin1");
    assert.equal(await written(page), expected, name);
  }
  assert.ok(played >= 10, `only ${played} transcripts played`);
});

test("title, clears, and a pause that waits for one key", async () => {
  const page = await open();
  assert.equal(await waiting(page), "line");
  assert.ok(await page.evaluate(() => performance.now()) < 500, "the first prompt within half a second");
  assert.equal(await page.title(), "Calculateur de statistiques");
  const focused = () => page.evaluate(() => document.activeElement.id);
  assert.equal(await focused(), "answer");

  await page.fill("#answer", "1 130 130");
  await page.press("#answer", "Enter");
  assert.equal(await waiting(page), "key");
  const before = await written(page);
  await page.waitForTimeout(500);
  assert.equal(await written(page), before, "nothing more while the pause waits");
  assert.equal(await waiting(page), "key");

  await page.evaluate(() => document.activeElement.blur());
  await page.keyboard.press("ArrowUp");  // one key, and nothing of it in the answer
  assert.equal(await waiting(page), "line");
  assert.equal(await page.inputValue("#answer"), "");
  assert.equal(await focused(), "answer", "the answer field has the focus again");
  await page.fill("#answer", "0");
  await page.press("#answer", "Enter");
  assert.equal(await waiting(page), "key");
  await page.mouse.click(5, 5);
  assert.equal(await waiting(page), "line");

  const after = await page.evaluate(() => written);
  const cleared = after.flatMap((text, i) => (text === null && i + 1 < after.length ? [after[i + 1]] : []));
  assert.ok(cleared.some(text => text.startsWith("---- ----")), "a clear before the summary");
  assert.ok(cleared.some(text => text.startsWith("--- --- --- --- --- --- -\n")), "a clear before the banner");
  assert.deepEqual(page.requests, [url], "no request but the page");
  assert.ok(statSync(process.env.PAGE).size < 250_000, "the page stays under 250 KB");
});

test("on a phone: a tap ends the pause and the answer field stays on screen", async () => {
  const page = await open({ viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true });
  await page.fill("#answer", "3 200 100");
  await page.press("#answer", "Enter");
  assert.equal(await waiting(page), "key");
  await page.tap("main");
  assert.equal(await waiting(page), "line");
  const box = await page.evaluate(() => {
    const field = document.activeElement;
    const r = field.getBoundingClientRect();
    return { id: field.id, left: r.left, right: r.right, top: r.top, bottom: r.bottom };
  });
  assert.equal(box.id, "answer");
  assert.ok(box.left >= 0 && box.right <= 390 && box.top >= 0 && box.bottom <= 844, JSON.stringify(box));
  assert.equal(await page.getAttribute("#answer", "inputmode"), "numeric");
});
