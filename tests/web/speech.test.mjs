// What a blind player hears of the page (its path the first argument) in a
// browser (the second, a name in speech.json): Orca runs with no
// synthesizer and writes what it speaks into a log, while real X
// keys play the steps of speech.json in the browser, under a window manager
// (without one, Firefox never gets the focus).  Runs under dbus-run-session
// and xvfb-run.
import assert from "node:assert/strict";
import { execFileSync, spawn } from "node:child_process";
import { existsSync, mkdirSync, mkdtempSync, readFileSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";
import { after, test } from "node:test";
import { fileURLToPath, pathToFileURL } from "node:url";

const [page, name] = process.argv.slice(2);
const { "orca settings": settings, browsers, steps } = JSON.parse(readFileSync(path.join(path.dirname(fileURLToPath(import.meta.url)), "speech.json"), "utf8"));
const home = mkdtempSync(path.join(tmpdir(), "speech-"));
const log = path.join(home, "orca.log");
const running = [];
const start = (command, args, env) => running.push(spawn(command, args, { stdio: "ignore", detached: true, env: { ...process.env, ...env } }));
// Each ends with the test, and has ended when it does: the next browser's
// Orca would not start beside this one.
after(() => Promise.all(running.filter(child => child.exitCode === null && child.signalCode === null).map(child =>
  new Promise(ended => child.once("exit", ended) && process.kill(-child.pid, "SIGKILL")))));

// Orca's settings and state in a home of its own.  Orca tells the desktop
// that assistive technologies are on, and the browsers then speak to it.
mkdirSync(path.join(home, "orca"));
writeFileSync(path.join(home, "orca", "orca-customizations.py"), settings.join("\n").replace("{log}", JSON.stringify(log)) + "\n");
start("openbox", []);
start("orca", [], { HOME: home, XDG_DATA_HOME: home, XDG_CONFIG_HOME: home, XDG_RUNTIME_DIR: home });

// Each utterance so far, from Orca's speech log, one written a line: the
// text between quotes, then the voice, one or a list of them, or none.
const spoken = () => existsSync(log) ? readFileSync(log, "utf8").split("\n").slice(0, -1)
  .map(line => JSON.parse(line).match(/^SPEECH OUTPUT: '([^]*)'(?: voice=\w+)? ?(?:\{.*\}|\[.*\]|None)?$/)[1]) : [];

// Waits until done() holds, a long while at most, and then until the log
// has said nothing new for a second.
async function until(done, what) {
  for (let end = Date.now() + 60_000, count = -1, quiet = 0; quiet < 10; await new Promise(go => setTimeout(go, 100))) {
    assert.ok(Date.now() < end, `still waiting for ${what}; heard: ${JSON.stringify(spoken().slice(-8))}`);
    [count, quiet] = [spoken().length, done() && spoken().length === count ? quiet + 1 : 0];
  }
}

test(`what Orca says as a player goes through a session, in ${name}`, async () => {
  await until(() => spoken().includes("Screen reader on."), "Orca");
  const { command, prefs = [], preferences = {}, env } = browsers[name];
  const profile = path.join(home, "profile");
  mkdirSync(path.join(profile, "Default"), { recursive: true });
  writeFileSync(path.join(profile, "Default", "Preferences"), JSON.stringify(preferences));
  writeFileSync(path.join(profile, "user.js"), prefs.map(([key, value]) => `user_pref("${key}", ${JSON.stringify(value)});\n`).join(""));
  start(command[0], command.slice(1).map(arg => arg.replace("{profile}", profile)), env);
  // A browser opens and closes windows of its own as it starts: the one
  // found may be gone before it is activated, and is looked for again.
  execFileSync("sh", ["-c", 'for try in 1 2 3 4 5 6 7 8 9 10; do xdotool "$@" && exit; sleep 0.5; done; exit 1', "sh",
    "search", "--sync", "--onlyvisible", "--limit", "1", "--class", command[0], "windowactivate", "--sync"]);
  await until(() => true, "quiet");
  for (const [step, keys, heard, unheard, most] of steps) {
    const from = spoken().length;
    for (const [verb, text] of keys)
      execFileSync("xdotool", [verb, "--delay", "60", "--", text.replace("{page}", pathToFileURL(page).href)]);
    const said = () => spoken().slice(from).join("\n");
    // The texts in order; a list among them, in order of its own.
    const inOrder = texts => texts.reduce((at, words) => at < 0 ? at : said().indexOf(words, at), 0) >= 0;
    await until(() => inOrder(heard.filter(words => !Array.isArray(words))) && heard.filter(Array.isArray).every(inOrder), `"${heard}" at: ${step}`);
    // The keys' own echo ends with a blank, as Orca logs it; it does not count.
    const length = spoken().slice(from).filter(text => !text.endsWith(" ")).join("").length;
    const again = unheard.filter(words => said().includes(words));
    assert.ok(again.length === 0 && (most === null || length <= most), `${step}: ${length} characters, of which ${again}:\n${said()}`);
  }
});
