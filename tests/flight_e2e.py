#!/usr/bin/env python3
"""The game played for real under Xvfb with xdotool: the rocket starts at the centre of the
window with the eyes in its porthole, the right arrow turns it, the up arrow makes the backdrop
scroll, and the ball moves. The screenshots stay in the build tree."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tools"))
from xsession import XSession, canvas, centre, settle, wait_exit

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


def shot(x, window, name):
    return x.screenshot(window, os.path.join(build, f"flight-{name}.png"))


with XSession() as x:
    process, window = x.launch(game, build)
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
    settle(12)
    x.keys("Up", action="keyup")
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

if failures:
    print(f"{len(failures)} failure(s)")
    sys.exit(1)
