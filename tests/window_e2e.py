#!/usr/bin/env python3
"""The game in a real window under Xvfb: one 1280x720 window titled "title", the 49 loading
lines in table order, a drawn frame, and status 0 on Escape, on q and on a close request."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tools"))
from xsession import XSession, output_of, settle, wait_exit

game, build, close_window = sys.argv[1:4]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL", message)


def table_order():
    sys.path.insert(0, os.path.dirname(__file__))
    names = sorted(os.listdir(os.path.join(build, "assets")))
    return ["loading assets/" + n for n in sorted(n for n in names if n.endswith(".bmp"))]


with XSession() as x:
    for how in ("Escape", "q", "close"):
        process, window = x.launch(game, build)
        geometry = x.run("xdotool", "getwindowgeometry", window).stdout
        check("1280x720" in geometry, f"{how}: window geometry {geometry!r}")
        settle()
        shot = x.screenshot(window, os.path.join(build, f"window-{how}.png"))
        check(shot.size == (1280, 720), f"{how}: screenshot size {shot.size}")
        check(shot.getpixel((4, 4)) == (0, 0, 0), f"{how}: corner not black")
        if how == "close":
            x.run(close_window, window)
        else:
            x.keys(how)
        status = wait_exit(process)
        check(status == 0, f"{how}: exit status {status}")
        lines = [l for l in output_of(process).splitlines() if l.startswith("loading ")]
        check(lines == table_order(), f"{how}: loading lines {lines[:3]}... ({len(lines)})")
        print(f"ok   {how}: exit {status}, {len(lines)} loading lines")

if failures:
    print(f"{len(failures)} failure(s)")
    sys.exit(1)
