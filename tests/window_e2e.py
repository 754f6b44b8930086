#!/usr/bin/env python3
"""The game in a real window under Xvfb: one 1280x720 window titled "title", the 49 loading
lines in table order, a drawn frame, and status 0 on Escape, on q and on a close request. With
no display at all, the game says so and stops at once with status 1. The command line's help,
version and refusals answer without starting anything."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tools"))
from xsession import XSession, output_of, settle, wait_exit

game, build, close_window, version = sys.argv[1:5]
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

# No display and no driver asked for: SDL would fall back to a window nobody sees.
bare = {k: v for k, v in os.environ.items()
        if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER", "SDL_RENDER_DRIVER")}

# With no display, a game that started anything would say "error : No display ..." and exit 1,
# and it would run the self-test first; so an answer without those lines opened nothing.
for args, status, out, err in (
        (["--help"], 0, "Usage: rocket [OPTION]", ""),
        (["-h"], 0, "  Escape, q       quit", ""),
        (["--version"], 0, f"rocket {version}\n", ""),
        (["-v"], 0, f"rocket {version}\n", ""),
        (["--fly"], 2, "", "rocket: unknown option '--fly'; try 'rocket --help'\n"),
        (["-x"], 2, "", "rocket: unknown option '-x'; try 'rocket --help'\n"),
        (["--help=yes"], 2, "", "rocket: unknown option '--help=yes'; try 'rocket --help'\n"),
        (["moon"], 2, "", "rocket: unexpected argument 'moon'; try 'rocket --help'\n"),
        (["--version", "moon"], 0, f"rocket {version}\n", "")):
    done = subprocess.run([game, *args], cwd=build, env=bare, capture_output=True, text=True,
                          timeout=10)
    said = f"{args}: exit {done.returncode}, out {done.stdout[:40]!r}, err {done.stderr!r}"
    check(done.returncode == status, said)
    check(out in done.stdout and (out or not done.stdout), said)
    check(done.stderr == err, said)
    check("validating" not in done.stdout and "error :" not in done.stdout, "started: " + said)
    print("ok  ", said)

started = time.monotonic()
try:
    done = subprocess.run([game], cwd=build, env=bare, capture_output=True, text=True, timeout=10)
    status, lines = done.returncode, done.stdout.splitlines()
except subprocess.TimeoutExpired:
    status, lines = None, ["(still running after 10 s)"]
took = time.monotonic() - started
check(status == 1, f"no display: exit status {status}")
check(lines[-1:] and lines[-1].startswith("error : No display to open the window on ! "),
      f"no display: last line {lines[-1:]}")
check(not any(l.startswith("loading ") for l in lines), "no display: images loaded anyway")
print(f"ok   no display: exit {status} after {took:.2f} s: {lines[-1:]}")

if failures:
    print(f"{len(failures)} failure(s)")
    sys.exit(1)
