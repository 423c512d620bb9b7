import { chromium } from "playwright-core";
import { execFileSync, spawn } from "node:child_process";
import { readFileSync, existsSync, rmSync } from "node:fs";
const sleep = ms => new Promise(r => setTimeout(r, ms));
const log = "/tmp/orca/debug.log";
rmSync(log, { force: true });
for (const p of ["IsEnabled", "ScreenReaderEnabled"])
  execFileSync("dbus-send", ["--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status", `string:${p}`, "variant:boolean:true"]);
import { mkdtempSync } from "node:fs";
const home = mkdtempSync("/tmp/orca/home");
import { mkdirSync, writeFileSync } from "node:fs";
mkdirSync(home + "/data/orca", { recursive: true });
writeFileSync(home + "/data/orca/orca-customizations.py", "import orca.settings\norca.settings.speechServerFactory = None\norca.settings.speechFactoryModules = []\n");
const orca = spawn("orca", ["--replace", `--debug-file=${log}`], { stdio: ["ignore", "inherit", "inherit"], detached: true,
  env: { ...process.env, HOME: home, XDG_RUNTIME_DIR: home, XDG_CONFIG_HOME: home + "/config", XDG_DATA_HOME: home + "/data", XDG_CACHE_HOME: home + "/cache" } });
await sleep(3000);
const browser = await chromium.launchPersistentContext(mkdtempSync("/tmp/orca/profile"), { executablePath: "/usr/bin/chromium", headless: false, env: { ...process.env, ACCESSIBILITY_ENABLED: "1" },
  args: ["--no-sandbox", "--disable-gpu", "--force-renderer-accessibility", "--disable-background-networking", "--disable-component-update", "--disable-sync", "--no-first-run"] });
const page = browser.pages()[0];
await sleep(2000);
const wins = execFileSync("xdotool", ["search", "--sync", "--onlyvisible", "--class", "chromium"]).toString().trim().split("\n");
for (const w of wins) console.log("window", w, execFileSync("xdotool", ["getwindowname", w]).toString().trim());
console.log("pages", browser.pages().map(p => p.url()));
execFileSync("xdotool", ["windowfocus", "--sync", wins[0]]);
await sleep(2000);
execFileSync("xdotool", ["key", "ctrl+l"]);
execFileSync("xdotool", ["type", "--delay", "20", "file:///work/main/build/web/calcstats.html"]);
execFileSync("xdotool", ["key", "Return"]);
await sleep(4000);
const spoken = () => [...readFileSync(log, "utf8").matchAll(/^(\d\d):(\d\d):([\d.]+) - SPEECH OUTPUT: '([^]*?)'(?: voice=\w+)? ?\{/gm)].map(m => [m, m[4].replace(/\n {18}/g, "\n")]).map(([m, t]) => `${((+m[1]*3600 + +m[2]*60 + +m[3]) % 1000).toFixed(2)} ${t.length} ${JSON.stringify(t.slice(0, 60) + " ... " + t.slice(-50))}`);

console.log("after load:", await page.evaluate("document.body.dataset.waiting + ' ' + document.activeElement.id"), spoken().slice(spoken().findIndex(l => l.includes("return"))));
for (const keys of [["5", "Return"], ["x"], ["1", "Return"], ["1","3","0","Return"], ["1","3","0","Return"], ["y"], ["ctrl+d"]]) {
  const before = spoken().length;
  const t = new Date(); console.log("keys at", ((t.getUTCHours()*3600 + t.getUTCMinutes()*60 + t.getUTCSeconds() + t.getUTCMilliseconds()/1000) % 1000).toFixed(2));
  for (const k of keys) { execFileSync("xdotool", ["key", "--delay", "150", k]); await sleep(300); }
  await sleep(5000);
  console.log(keys.join("+"), page.url(), await page.evaluate("document.body.dataset.waiting"), spoken().slice(before));
}
await browser.close();
process.kill(-orca.pid);
