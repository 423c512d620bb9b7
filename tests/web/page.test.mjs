// The web page in Debian's Chromium: the same dialogue as the console, what
// players on a desk or a phone do with it, and nothing fetched but the page.
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
const phone = { viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true };

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
  await context.grantPermissions(["clipboard-read", "clipboard-write"]);
  const page = await context.newPage();
  page.cdp = await context.newCDPSession(page);
  page.requests = [];
  page.on("request", request => page.requests.push(request.url()));
  await page.addInitScript(watch);
  await page.goto(url);
  await waiting(page);
  return page;
}

// What the page waits for once it has stopped: "line", "key" or "ended".
async function waiting(page) {
  const handle = await page.waitForFunction(() => document.body.dataset.waiting || null);
  return handle.jsonValue();
}

const written = page => page.evaluate(() => written.filter(text => text !== null).join(""));
const lastEcho = page => page.evaluate(() => [...document.querySelectorAll("kbd")].at(-1).textContent);
const keys = combination => page => page.keyboard.press(combination);
const cdp = (...calls) => async page => { for (const [method, params] of calls) await page.cdp.send(method, params); };
const paste = text => async page => {
  await page.evaluate(text => navigator.clipboard.writeText(text), text);
  await page.keyboard.press("Control+V");
};

async function answer(page, text) {
  await page.keyboard.type(text);
  await page.keyboard.press("Enter");
}

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

test("title, clears, the send button, focus, and nothing fetched", async () => {
  const page = await open();
  assert.equal(await waiting(page), "line");
  assert.equal(await page.title(), "Calculateur de statistiques");
  await page.fill("#answer", "1 130 130");
  await page.click("#send");
  assert.equal(await waiting(page), "key");
  const before = await written(page);
  await page.waitForTimeout(500);
  assert.equal(await written(page), before, "nothing more while the pause waits");
  await page.keyboard.press("x");
  assert.equal(await waiting(page), "line");
  await page.evaluate(() => document.activeElement.blur());
  await page.mouse.click(5, 5);
  assert.equal(await page.evaluate(() => document.activeElement.id), "answer", "a click gives the field the focus");

  const all = await page.evaluate(() => written);
  const cleared = all.flatMap((text, i) => (text === null && i + 1 < all.length ? [all[i + 1]] : []));
  assert.ok(cleared.some(text => text.startsWith("---- ----")), "a clear before the summary");
  assert.ok(cleared.some(text => text.startsWith("--- --- --- --- --- --- -\n")), "a clear before the banner");
  assert.deepEqual(page.requests, [url], "no request but the page");
  assert.ok(statSync(process.env.PAGE).size < 250_000, "the page stays under 250 KB");
});

// What a player may do at a pause, and whether that ends it.  Ended or not,
// nothing of it reaches the next answer.
const atPause = [
  ["a letter", true, keys("x")],
  ["Shift+A", true, keys("Shift+A")],
  ["an arrow", true, keys("ArrowUp")],
  ["a click", true, page => page.mouse.click(200, 300)],
  ["a tap", true, page => page.touchscreen.tap(200, 300)],
  ["a phone keyboard's digit", true, cdp(["Input.dispatchKeyEvent", { type: "rawKeyDown", key: "Unidentified",
    windowsVirtualKeyCode: 229 }], ["Input.insertText", { text: "5" }])],
  ["dictated text", true, cdp(["Input.insertText", { text: "5" }])],
  ["a composition", true, cdp(["Input.imeSetComposition", { text: "5", selectionStart: 1, selectionEnd: 1 }],
    ["Input.insertText", { text: "5" }])],
  ["a paste", true, paste("5")],
  ["Shift alone", false, keys("Shift")],
  ["Ctrl+C", false, keys("Control+c")],
  ["Alt+X", false, keys("Alt+x")],
  ["F2", false, keys("F2")],
  ["Tab", false, keys("Tab")],
  ["a scroll", false, cdp(["Input.synthesizeScrollGesture", { x: 200, y: 300, yDistance: -200,
    gestureSourceType: "touch" }])],
  ["a pinch", false, cdp(["Input.synthesizePinchGesture", { x: 200, y: 300, scaleFactor: 2,
    gestureSourceType: "touch" }])],
  ["a drag that selects", false, async page => {
    await page.mouse.move(10, 30);
    await page.mouse.down();
    await page.mouse.move(200, 60, { steps: 5 });
    await page.mouse.up();
    assert.notEqual(await page.evaluate(() => String(getSelection())), "", "the drag selects");
  }],
];

test("at a pause on a phone: what ends it, what leaves it, and nothing typed in the next answer", async () => {
  const page = await open(phone);
  await answer(page, "0");
  for (const [what, ends, act] of atPause) {
    assert.equal(await waiting(page), "key");
    await act(page);
    if (!ends) {
      assert.equal(await page.evaluate(() => document.body.dataset.waiting), "key", `${what} leaves it waiting`);
      await page.keyboard.press("x");
    }
    assert.equal(await waiting(page), "line", what);
    await answer(page, "0");
    assert.equal(await lastEcho(page), "0\n", `nothing of ${what} in the next answer`);
  }
});

test("readable from 320 px wide, and larger at every zoom step up to 400%", async () => {
  const page = await open(phone);
  await answer(page, "1 130 130");
  let shown = 0;
  for (const [width, zoom] of [[320, 1], [390, 1], [430, 1], ...[1, 1.1, 1.25, 1.5, 1.75, 2, 2.5, 3, 4].map(z => [1280 / z, z])]) {
    await page.setViewportSize({ width: Math.round(width), height: 800 });
    const m = await page.evaluate(() => ({
      font: parseFloat(getComputedStyle(document.getElementById("screen")).fontSize),
      sideways: document.documentElement.scrollWidth - document.documentElement.clientWidth,
      send: document.getElementById("send").getBoundingClientRect(),
    }));
    assert.ok(m.font >= 12 && m.sideways <= 0 && m.send.width >= 44 && m.send.height >= 44, JSON.stringify({ width, ...m }));
    assert.ok(zoom === 1 || m.font * zoom > shown, `zoom ${zoom}`);
    shown = m.font * zoom;
  }
});

// [keys, typed before them, whether they end the input]
const endings = [["d", "", false], ["Control+d", "abc", false], ["Control+Shift+D", "", true], ["Control+d", "", true]];

test("Ctrl-D on an empty answer ends the input, whatever the case; the page says so and starts again", async () => {
  const page = await open();
  for (const [combination, typed, ends] of endings) {
    await page.keyboard.type(typed);
    await page.keyboard.press(combination);
    assert.equal(await waiting(page), ends ? "ended" : "line", `${typed} ${combination}`);
    if (ends) {
      assert.ok((await page.isVisible("#ended")) && !(await page.isEditable("#answer")));
      await page.click("#again");
    } else {
      await page.reload();
    }
    assert.equal(await waiting(page), "line");
  }
});

test("a paste of 2,000 characters of answers plays out whole", async () => {
  const page = await open();
  const builds = Array.from({ length: 220 }, (_, i) => `${1 + (i % 3)} ${i} 100`).join(" ");
  assert.ok(builds.length >= 2000);
  await paste(builds)(page);
  await page.keyboard.press("Enter");
  while ((await waiting(page)) === "key") await page.keyboard.press("Space");
  const text = await written(page);
  assert.equal(text.match(/LEVEL 75/g).length, 220);
  assert.ok(text.includes("| Force : 219 | Dexterite : 100 |"));
});

test("the heading, and a field named after the question that says when a pause waits", async () => {
  const page = await open();
  const tree = async () => {
    const { nodes } = await page.cdp.send("Accessibility.getFullAXTree");
    const [heading, field] = ["heading", "textbox"].map(role => nodes.find(n => n.role.value === role));
    return [heading.name.value, field.name.value, field.description.value];
  };
  assert.equal(await waiting(page), "line");
  const [heading, question, hint] = await tree();
  assert.deepEqual([heading, question], ["Calculateur de statistiques", "Votre classe ? :"]);
  assert.match(hint, /Entrée/);
  await answer(page, "0");
  assert.equal(await waiting(page), "key");
  const [, pause, pauseHint] = await tree();
  assert.equal(pause, "Appuyez sur une touche pour continuer...");
  assert.match(pauseHint, /^Pause/);
});

test("a contrast of 7:1 at least in either colour scheme", async () => {
  for (const colorScheme of ["dark", "light"]) {
    const page = await open({ colorScheme });
    await answer(page, "1");
    const ratios = await page.evaluate(() => {
      const luminance = element => {
        const channels = getComputedStyle(element)[element === document.body ? "backgroundColor" : "color"];
        const [r, g, b] = channels.match(/\d+/g).map(c => (c / 255 <= 0.04045 ? c / 255 / 12.92 : ((c / 255 + 0.055) / 1.055) ** 2.4));
        return 0.2126 * r + 0.7152 * g + 0.0722 * b + 0.05;
      };
      const back = luminance(document.body);
      return [back > 0.5, ...[...document.querySelectorAll("#screen, #answer, kbd")].map(luminance)
        .map(l => Math.max(l, back) / Math.min(l, back))];
    });
    assert.ok(ratios[0] === (colorScheme === "light") && ratios.slice(1).every(r => r >= 7), `${colorScheme}: ${ratios}`);
  }
});
