#!/usr/bin/env python3
"""Long play: the real game under Xvfb with random arrow presses and releases for SOAK_SECONDS
(60 by default), then Escape. It must not crash, must end with status 0, and its resident memory
at the end must be no larger than shortly after start, but for a little noise."""
import os
import random
import sys
import time

from xsession import XSession, output_of, play, wait_exit

# Resident memory may move a little as the allocator and the X server's shared pages settle;
# anything that grows with play time would pass this within seconds.
NOISE_KB = 2048

game, build = map(os.path.abspath, sys.argv[1:3])  # the game runs in build/
seconds = float(os.environ.get("SOAK_SECONDS", "60"))
# AddressSanitizer keeps freed memory in quarantine (up to 256 MB) to catch use after free, so a
# sanitized game's resident memory grows by design: there only the crash and the status count.
check_memory = os.environ.get("SOAK_CHECK_MEMORY", "1") != "0"
arrows = ["Up", "Down", "Left", "Right"]


def resident_kb(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


with XSession() as x:
    process, window = x.launch(game, build)
    play(process, 60)  # past the first frames: everything is loaded and drawn once
    baseline = resident_kb(process.pid)
    chooser = random.Random(20261208)
    held = set()
    presses = 0
    end = time.monotonic() + seconds
    while time.monotonic() < end and process.poll() is None:
        key = chooser.choice(arrows)
        if key in held:
            x.keys(key, action="keyup")
            held.discard(key)
        else:
            x.keys(key, action="keydown")
            held.add(key)
            presses += 1
        time.sleep(chooser.uniform(0.02, 0.3))
    for key in held:
        x.keys(key, action="keyup")
    play(process, 4)
    crashed = process.poll()
    final = resident_kb(process.pid) if crashed is None else 0
    x.keys("Escape")
    status = wait_exit(process)

print(f"{seconds:.0f} s, {presses} presses; resident memory {baseline} kB after start, "
      f"{final} kB at the end; exit status {status}")
problems = []
if crashed is not None or status != 0:
    problems.append(f"ended with {crashed if crashed is not None else status}: "
                    + output_of(process)[-2000:])
if check_memory and final > baseline + NOISE_KB:
    problems.append(f"resident memory grew by {final - baseline} kB")
for problem in problems:
    print("FAIL", problem)
print(f"{0 if problems else 1} passed, {1 if problems else 0} failed")
sys.exit(1 if problems else 0)
