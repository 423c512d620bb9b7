#!/usr/bin/env python3
# Plays one scenario: the program in a pseudo-terminal, driven a step a line.
#   terminal_test.py STEPS SPLIT_MS PROGRAM [ARGUMENT...]
# The program runs as "sh -mc SCRIPT PROGRAM ARGUMENT...", where SCRIPT
# (exec "$0" "$@" by default) may turn a stream into a pipe, ignore a signal,
# preload the shim.  TEXT takes \r \n \t \a \\ and \xHH.
#   shell SCRIPT   from the next start on   within MS     the longest wait (5000)
#   start          a fresh run (the first step starts one too)
#   type TEXT      types it                 press TEXT    the same, a byte every SPLIT_MS
#   hold TEXT MS [EVERY]  TEXT again every EVERY ms (33) for MS, as a keyboard
#                  repeats a key held down
#   wait MS        lets MS go by, as a person between two keys
#   expect TEXT    output to come, after what the last expect found
#   seen TEXT      anywhere in the output   unseen TEXT   nowhere in it
#   quiet MS       MS on, nothing but cursor moves (escape sequences, CR, LF:
#                  the echo of a key typed as the pause shows) since the last
#                  expect, and still running
#   mode M         terminal modes, now or soon (M: line, key)
#   signal SIG     to the foreground job    hangup        closes the terminal
#   ends [exit N | signal SIG]
#   each W...      the lines up to "end", once for each word, {} standing for it
# What the pause makes of each timing is proven apart, on timelines; the
# scenarios' timings keep wide margins from its figures.
import codecs, contextlib, os, pathlib, re, resource, select, signal, sys, termios, time  # noqa: E401

import pexpect

LINE = termios.ECHO | termios.ICANON | termios.ISIG | termios.IEXTEN
os.environ["TERM"] = "xterm"  # what the scenarios' sequences are written for
path, split_ms, program = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
script, within, run, out, taken = "", 5000, None, b"", 0
# Python ignores SIGPIPE and SIGXFSZ, and the program would inherit that: it
# gets the default actions, as a shell gives them, and leaves no core dump
# when SIGQUIT and its kin end it.
for sig in (signal.SIGPIPE, signal.SIGXFSZ):
    signal.signal(sig, signal.SIG_DFL)
resource.setrlimit(resource.RLIMIT_CORE, (0, 0))


# Kills the run's shell, even before its setsid, its process group, and the
# terminal's foreground group, which is the program's own job under a
# job-control shell.  Group 0 would be the driver's own.
def kill_run():
    targets = [run.pid, -run.pid] if run else []
    with contextlib.suppress(OSError):
        targets.append(-os.tcgetpgrp(run.child_fd) if run else 0)
    for target in filter(None, targets):
        with contextlib.suppress(OSError):
            os.kill(target, signal.SIGKILL)


# Ends the run, if any, and starts the next one if asked.
def finish(again=False):
    global run, out, taken
    kill_run()
    if run:
        run.close(force=True)
    run, out, taken = None, b"", 0
    if again:
        run = pexpect.spawn("/bin/sh", ["-mc", script or 'exec "$0" "$@"'] + program)
        run.delaybeforesend = None


# Reads the output until done() holds, for ms at most, and what came by
# then even if the player itself was kept waiting.  Read with select: once
# the terminal has gone, pexpect's own reads wait for the child.
def until(done, ms):
    global out
    end = time.monotonic() + ms / 1000
    while not done():
        left = end - time.monotonic()
        pending = not run.ptyproc.fileobj.closed and select.select([run.child_fd], [], [], min(max(left, 0), 0.01))[0]
        try:
            out += os.read(run.child_fd, 4096) if pending else b""
        except OSError:  # the program and its terminal have gone
            pending = False
        if not pending and left <= 0:
            break
        if not pending and run.ptyproc.fileobj.closed:  # hung up: nothing more to read
            time.sleep(0.01)
    return done()


# Writes the pieces, gap ms apart.
def send(pieces, gap):
    for i, piece in enumerate(pieces):
        time.sleep(gap / 1000 if i > 0 else 0)
        run.send(piece)


def mode():
    iflag, _, _, lflag, *_ = termios.tcgetattr(run.child_fd)
    return {(LINE, True): "line", (termios.ISIG, False): "key"}.get((lflag & LINE, iflag & termios.IXON != 0), "other")


# One action; False, or the reason, if it did not go as written.
def act(verb, arg):
    global taken
    text = codecs.decode(arg, "unicode_escape").encode("latin1")
    if verb in ("type", "press", "hold"):
        key, ms, every = (arg + " 33").split()[:3] if verb == "hold" else (arg, 0, split_ms)
        key = codecs.decode(key, "unicode_escape").encode("latin1")
        step = 1 if verb == "press" and split_ms > 0 else max(len(key), 1)
        return send([key[at : at + step] for at in range(0, len(key), step)] * max(1, -(-int(ms) // int(every or 1))), int(every)) or True
    if verb == "expect":
        found = until(lambda: out.find(text, taken) >= 0, within)
        taken = out.find(text, taken) + len(text) if found else taken
        return found
    if verb == "mode":
        return until(lambda: mode() == arg, within) or f"terminal in {mode()} mode"
    if verb == "ends":
        if not until(lambda: not run.isalive(), within):
            return "still running"
        until(lambda: False, 100)  # a terminal hands on the last output a little later
        end = f"exit {run.exitstatus}" if run.signalstatus is None else f"signal {signal.Signals(run.signalstatus).name[3:]}"
        return arg in ("", end) or end
    if verb == "wait":
        return until(lambda: False, int(arg)) or True
    if verb == "quiet":
        until(lambda: False, int(arg))
        return not re.sub(rb"\x1b\[[0-?]*[ -/]*[@-~]|[\r\n]", b"", out[taken:]) and run.isalive()
    if verb in ("seen", "unseen"):
        return (text in out) == (verb == "seen")
    if verb == "signal":
        os.killpg(os.tcgetpgrp(run.child_fd), signal.Signals["SIG" + arg])
    elif verb == "hangup":
        run.ptyproc.fileobj.close()
    return verb in ("signal", "hangup") or f"no verb {verb}"


# The lines, numbered, with each table written out in full.
def steps():
    lines, words, body = [], [], []
    for number, line in enumerate(pathlib.Path(path).read_text(encoding="latin1").splitlines(), 1):
        if line.startswith("each "):
            words = line.split()[1:]
        elif line == "end":
            lines += [(at, text.replace("{}", word)) for word in words for at, text in body]
            words, body = [], []
        else:
            (body if words else lines).append((number, line))
    return lines


# Plays the lines, a fresh run from the first step and at each start; the
# reason it failed, if it did.
def play(lines):
    global script, within
    for number, line in lines:
        verb, _, arg = line.partition(" ")
        if verb == "within":
            within = int(arg)
        elif verb == "shell":
            script = arg
        elif line and line[0] != "#":
            if run is None or verb == "start":
                finish(again=True)
            done = verb == "start" or act(verb, arg)
            if done is not True:
                return f"{path}:{number}: {line}: failed{', ' + done if done else ''}\noutput not yet expected: " + out[taken:].decode("latin1")
    return None


def main():
    for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP, signal.SIGALRM):
        signal.signal(sig, lambda *_: (kill_run(), os._exit(3)))
    signal.alarm(240)  # a scenario that hangs ends well before CTest's timeout
    lines = steps()
    failed = play(lines)
    finish()
    if failed:
        print(failed, file=sys.stderr)
    return 1 if failed or not lines else 0


sys.exit(main())
