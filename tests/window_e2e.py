#!/usr/bin/env python3
"""The game in a real window under Xvfb: one 1280x720 window titled "title", the 49 loading
lines in table order, a drawn frame, and status 0 on Escape, on q and on a close request. With
no display at all, the game says so and stops at once with status 1. F11 and Alt+Enter switch
to fullscreen and back. The command line's help,
version and refusals answer without starting anything."""
import os
import subprocess
import sys
import time

from e2e import check, finish
from xsession import XSession, output_of, play, wait_exit

game, build, close_window = map(os.path.abspath, sys.argv[1:4])  # the game runs in build/
version = sys.argv[4]
SELF_TEST = ["validating collision detection...", "collision detection is ~mostly~ valid"]


def table_order():
    names = sorted(os.listdir(os.path.join(build, "assets")))
    return ["loading assets/" + n for n in sorted(n for n in names if n.endswith(".bmp"))]


with XSession() as x:
    # The last run has a sound driver that does not exist: the game plays on silently, its
    # output the same, after one line of its own on standard error.
    for how, audio in (("Escape", "dummy"), ("q", "dummy"), ("close", "dummy"),
                       ("Escape", "nonexistent")):
        process, window = x.launch(game, build, {"SDL_AUDIODRIVER": audio})
        how_ = how if audio == "dummy" else f"{how}, no sound"
        geometry = x.run("xdotool", "getwindowgeometry", window).stdout
        check("1280x720" in geometry, f"{how_}: window geometry {geometry!r}")
        # A program reading the game's output sees every line as it is written, the last
        # loading line while the window is still open, not in a heap at exit.
        trace = play(process, 4)
        said = output_of(process).splitlines()
        # The frame trace the other tests wait by: frames counted from 1, at rest, no sound.
        check([line.frame for line in trace] == list(range(1, len(trace) + 1)) and
              len(trace) >= 4 and all(line.keys == "00000" for line in trace),
              f"{how_}: the frame trace counts the frames from 1: {trace[:2]}")
        silent = [l for l in said if l.startswith("rocket: no sound (")]
        said = [l for l in said if l not in silent]
        check(len(silent) == (audio != "dummy"), f"{how_}: lines about the sound {silent}")
        check(process.poll() is None and len(said) == 51 and said[:2] == SELF_TEST
              and said[-1] == table_order()[-1],
              f"{how_}: {len(said)} lines read while the window is open, the last {said[-1:]}")
        shot = x.screenshot(window, os.path.join(build, f"window-{how}.png"))
        check(shot.size == (1280, 720), f"{how}: screenshot size {shot.size}")
        check(shot.getpixel((4, 4)) == (0, 0, 0), f"{how}: corner not black")
        if how == "close":
            x.run(close_window, window)
        else:
            x.keys(how)
        status = wait_exit(process)
        check(status == 0, f"{how_}: exit status {status}")
        lines = [l for l in output_of(process).splitlines() if l.startswith("loading ")]
        check(lines == table_order(), f"{how_}: loading lines {lines[:3]}... ({len(lines)})")
        print(f"ok   {how_}: exit {status}, {len(lines)} loading lines")

# Fullscreen on a 16:10 screen: the canvas at the largest whole scale that fits (6), centred
# with black bars above and below; F11 and Alt+Enter each switch there and back.
GLASS = (22, 34, 72)  # the porthole, at the canvas centre
with XSession("1920x1200", window_manager=True) as x:
    process, window = x.launch(game, build)

    def geometry():
        said = x.run("xdotool", "getwindowgeometry", window).stdout
        return said.split("Position: ")[1].split(" ")[0], said.split("Geometry: ")[1].strip()

    def becomes(size, keys):
        # The window manager may have moved the focus; a key sent elsewhere would be lost.
        x.run("xdotool", "windowactivate", "--sync", window)
        x.keys(keys)
        for _ in range(200):  # up to 10 s: a busy machine or a sanitized build is slow
            if geometry()[1] == size:
                break
            time.sleep(0.05)
        play(process, 4)
        return geometry()

    for keys in ("F11", "alt+Return"):
        where, size = becomes("1920x1200", keys)
        check((where, size) == ("0,0", "1920x1200"), f"{keys}: fullscreen at {where}, {size}")
        shot = x.screenshot("root", os.path.join(build, f"window-fullscreen-{keys}.png"))
        bars = [shot.getpixel((px, py)) for px in range(0, 1920, 97) for py in (0, 59, 1140, 1199)]
        check(set(bars) == {(0, 0, 0)}, f"{keys}: black bars, saw {set(bars)}")
        check(shot.getpixel((960 + 1, 600 + 1)) == GLASS, f"{keys}: the porthole at the centre")
        # Every canvas pixel around the rocket is a whole 6x6 block at (0, 60): scale 6, centred.
        ragged = [(cx, cy) for cx in range(136, 184) for cy in range(66, 114)
                  if len({shot.getpixel((cx * 6 + i, 60 + cy * 6 + j))
                          for i in range(6) for j in range(6)}) != 1]
        check(not ragged, f"{keys}: canvas pixels not whole 6x6 blocks at {ragged[:3]}")
        where, size = becomes("1280x720", keys)
        check(size == "1280x720", f"{keys} again: back to a window of {size}")
        print(f"ok   {keys}: fullscreen 1920x1200 at scale 6 with bars, then a 1280x720 window")
    x.keys("Escape")
    status = wait_exit(process)
    check(status == 0, f"fullscreen: exit status {status}")

# No display and no driver asked for: SDL would fall back to a window nobody sees.
bare = {k: v for k, v in os.environ.items()
        if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER", "SDL_RENDER_DRIVER")}

# With no display, a game that started anything would say "error : No display ..." and exit 1,
# and it would run the self-test first; so an answer without those lines opened nothing.
for args, status, out, err in (
        (["--help"], 0, "Usage: rocket [OPTION]", ""),
        (["-h"], 0, "  quit                   Escape, q    Back\n", ""),
        (["--help"], 0, "  sound off or on        M\n\n", ""),
        (["--help"], 0, "  -m, --mute      start with the sound off\n", ""),
        (["--version"], 0, f"rocket {version}\n", ""),
        (["-v"], 0, f"rocket {version}\n", ""),
        (["--fly"], 2, "", "rocket: unknown option '--fly'; try 'rocket --help'\n"),
        (["-x"], 2, "", "rocket: unknown option '-x'; try 'rocket --help'\n"),
        (["--help=yes"], 2, "", "rocket: unknown option '--help=yes'; try 'rocket --help'\n"),
        (["moon"], 2, "", "rocket: unexpected argument 'moon'; try 'rocket --help'\n"),
        (["--version", "moon"], 0, f"rocket {version}\n", ""),
        # Options end at the first word: a word before them is refused, not skipped.
        (["moon", "--version"], 2, "", "rocket: unexpected argument 'moon'; try 'rocket --help'\n")):
    done = subprocess.run([game, *args], cwd=build, env=bare, capture_output=True, text=True,
                          timeout=10)
    said = f"{args}: exit {done.returncode}, out {done.stdout[:40]!r}, err {done.stderr!r}"
    check(done.returncode == status, said)
    check(out in done.stdout and (out or not done.stdout), said)
    check(done.stderr == err, said)
    check("validating" not in done.stdout and "error :" not in done.stdout, "started: " + said)
    print("ok  ", said)

# No display, and a driver asked for that SDL does not have: each its own line, and nothing
# started.
for case, env, line in (("no display", bare, "No display to open the window on"),
                        ("no such driver", dict(bare, SDL_VIDEODRIVER="nonexistent"),
                         "SDL could not initialize")):
    started = time.monotonic()
    try:
        done = subprocess.run([game], cwd=build, env=env, capture_output=True, text=True,
                              timeout=10)
        status, lines = done.returncode, done.stdout.splitlines()
    except subprocess.TimeoutExpired:
        status, lines = None, ["(still running after 10 s)"]
    took = time.monotonic() - started
    check(status == 1, f"{case}: exit status {status}")
    check(lines[-1:] and lines[-1].startswith(f"error : {line} ! "), f"{case}: last line {lines[-1:]}")
    check(not any(l.startswith("loading ") for l in lines), f"{case}: images loaded anyway")
    print(f"ok   {case}: exit {status} after {took:.2f} s: {lines[-1:]}")

finish()
