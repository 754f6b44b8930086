#!/usr/bin/env python3
"""The game played for real under Xvfb with xdotool: the rocket starts at the centre of the
window with the eyes in its porthole, the right arrow turns it, the up arrow makes the backdrop
scroll, and the ball moves. What it plays goes to SDL's disk driver: the up arrow held for a
second gives about a second of rumble; started with --mute, nothing is heard. The screenshots
and the sound stay in the build tree."""
import array
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tools"))
from xsession import XSession, canvas, centre, settle, wait_exit

RATE = 48000

game, build = sys.argv[1:3]
failures = []
GLASS, WHITE, GLINT = (22, 34, 72), (250, 250, 250), (120, 170, 255)


def check(condition, message):
    print(("ok   " if condition else "FAIL ") + message)
    if not condition:
        failures.append(message)


def differing(a, b, skip_centre=True):
    """Canvas pixels that differ between two shots, outside the rocket's square if asked."""
    count = 0
    for y in range(180):
        for x in range(320):
            if skip_centre and 135 <= x < 185 and 65 <= y < 115:
                continue
            count += canvas(a, x, y) != canvas(b, x, y)
    return count


def glints(shot):
    """Where the eyes' glint shows, outside the porthole: that is the ball."""
    return [(x, y) for y in range(180) for x in range(320)
            if canvas(shot, x, y) == GLINT and (x, y) != (158, 88)]


def heard(path):
    """How long the rumble sounds, in seconds, and the loudest sample. The rumble comes from
    the centre, the same on both sides; a knock of the ball at a side never does. Its samples
    are counted rather than spanned: a frame late on a busy machine lets the device run dry
    for a moment, which is a gap in the file and not the game's sound."""
    samples = array.array("h")
    with open(path, "rb") as f:
        samples.frombytes(f.read())
    rumble = sum(1 for left, right in zip(samples[0::2], samples[1::2]) if left == right != 0)
    return rumble / RATE, max((abs(s) for s in samples), default=0)


def shot(x, window, name):
    return x.screenshot(window, os.path.join(build, f"flight-{name}.png"))


sound = os.path.join(build, "flight-sound.raw")
with XSession() as x:
    process, window = x.launch(game, build, {"SDL_AUDIODRIVER": "disk",
                                             "SDL_DISKAUDIOFILE": sound})
    settle(30)  # the ball leaves the centre
    start = shot(x, window, "start")
    check(canvas(start, 160, 90) == GLASS, f"porthole glass at the centre: {canvas(start, 160, 90)}")
    check(canvas(start, 158, 89) == WHITE, "an eye in the porthole")
    check(canvas(start, 160, 84) not in (GLASS, (0, 0, 0)), "hull above the porthole")
    ball_before = glints(start)
    settle(6)
    still = shot(x, window, "still")
    ball_after = glints(still)
    check(ball_before and ball_after and ball_before != ball_after,
          f"the ball moves: {ball_before} then {ball_after}")
    check(differing(start, still) < 2 * 49 + 10, "at rest only the ball changes the view")

    x.keys("Right", action="keydown")
    settle(3)
    x.keys("Right", action="keyup")
    settle(2)
    turned = shot(x, window, "turned")
    check(centre(turned) != centre(start), "holding right turns the rocket")

    x.keys("Up", action="keydown")
    held = time.monotonic()
    time.sleep(1.0)
    x.keys("Up", action="keyup")
    held = time.monotonic() - held
    settle(2)
    flying = shot(x, window, "flying")
    settle(4)
    coasting = shot(x, window, "coasting")
    moved = differing(flying, coasting)
    check(moved > 200, f"while coasting the planets and stars scroll ({moved} pixels changed)")
    check(canvas(coasting, 160, 90) == GLASS, "the rocket stays at the centre")

    x.keys("Escape")
    status = wait_exit(process)
    check(status == 0, f"exit status {status}")
    rumble, peak = heard(sound)
    check(abs(rumble - held) < 0.15, f"Up held for {held:.2f} s gives {rumble:.2f} s of rumble")
    check(0 < peak < 32767, f"the loudest sample {peak} is below full scale")

    sound = os.path.join(build, "flight-sound-muted.raw")
    process, window = x.launch(game, build, {"SDL_AUDIODRIVER": "disk",
                                             "SDL_DISKAUDIOFILE": sound}, ["--mute"])
    x.keys("Up", action="keydown")
    settle(10)
    x.keys("Up", action="keyup")
    x.keys("Escape")
    status = wait_exit(process)
    _, peak = heard(sound)
    check(status == 0 and peak == 0, f"with --mute: exit status {status}, the loudest sample {peak}")

if failures:
    print(f"{len(failures)} failure(s)")
    sys.exit(1)
