#!/usr/bin/env python3
# How long a program that drives calcstats through a terminal must wait
# between seeing the pause and sending its key: for each wait, how many keys
# of 20 the pause dropped as typed too soon (it then waits for another key).
# A measure, not a test: the machine's load changes it.  Needs pexpect;
# build first with cmake --workflow --preset default.
#   python3 bench/pause.py [PROGRAM [WAIT_MS...]]
import sys
import time

import pexpect

program = sys.argv[1] if len(sys.argv) > 1 else "build/default/calcstats"
waits = [int(ms) for ms in sys.argv[2:]] or [150, 200, 210, 250, 300, 400, 500]
run = pexpect.spawn(program, env={"TERM": "xterm"}, timeout=5)
run.delaybeforesend = None  # pexpect waits 50 ms before each write otherwise
run.expect_exact("Votre classe ? : ")
for ms in waits:
    dropped = 0
    for _ in range(20):
        run.send("0\r")
        run.expect_exact("continuer...")
        time.sleep(ms / 1000)
        run.send("x")
        try:
            run.expect_exact("Votre classe ? : ", timeout=1)
        except pexpect.TIMEOUT:
            dropped += 1
            time.sleep(0.5)
            run.send("x")
            run.expect_exact("Votre classe ? : ")
    print(f"key sent {ms:4} ms after the pause showed: {dropped:2} of 20 dropped")
