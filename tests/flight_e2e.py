#!/usr/bin/env python3
"""The game played for real under Xvfb with xdotool: the rocket starts at the centre of the
window with the eyes in its porthole, the right arrow turns it, the up arrow makes the backdrop
scroll, and the ball moves. What it plays goes to SDL's disk driver: the up arrow held for 24
frames (about a second) gives the rumble the game queued in the frames that showed the flame;
started with --mute, nothing is heard. Waits are counted in the game's frames (its frame trace),
so a busy machine makes the test slower, not wrong. The screenshots and the sound stay in the
build tree."""
import array
import os
import sys

from e2e import check, finish
from xsession import (XSession, between_knocks, canvas, centre, flame_frames, flame_queued,
                      heard_rumble, play, wait_exit)

RATE = 48000
RELEASE = RATE * 14 // 1000  # the rumble's fade once the flame is out

game, build = map(os.path.abspath, sys.argv[1:3])  # the game runs in build/
GLASS, WHITE, GLINT = (22, 34, 72), (250, 250, 250), (120, 170, 255)


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
    """The sample frames of rumble heard, and the loudest sample."""
    samples = array.array("h")
    with open(path, "rb") as f:
        samples.frombytes(f.read())
    return heard_rumble(samples), max((abs(s) for s in samples), default=0)


def shot(x, window, name):
    return x.screenshot(window, os.path.join(build, f"flight-{name}.png"))


sound = os.path.join(build, "flight-sound.raw")
with XSession() as x:
    process, window = x.launch(game, build, {"SDL_AUDIODRIVER": "disk",
                                             "SDL_DISKAUDIOFILE": sound})
    play(process, 30)  # the ball leaves the centre
    start = shot(x, window, "start")
    check(canvas(start, 160, 90) == GLASS, f"porthole glass at the centre: {canvas(start, 160, 90)}")
    check(canvas(start, 158, 89) == WHITE, "an eye in the porthole")
    check(canvas(start, 160, 84) not in (GLASS, (0, 0, 0)), "hull above the porthole")
    ball_before = glints(start)
    play(process, 6)
    still = shot(x, window, "still")
    ball_after = glints(still)
    check(ball_before and ball_after and ball_before != ball_after,
          f"the ball moves: {ball_before} then {ball_after}")
    check(differing(start, still) < 2 * 49 + 10, "at rest only the ball changes the view")

    x.hold(process, "Right", 3)
    play(process, 2)
    turned = shot(x, window, "turned")
    check(centre(turned) != centre(start), "holding right turns the rocket")

    between_knocks(process, 24 + 12)  # the rumble heard alone, to the end
    trace = x.hold(process, "Up", 24)
    play(process, 2)
    flying = shot(x, window, "flying")
    play(process, 4)
    coasting = shot(x, window, "coasting")
    moved = differing(flying, coasting)
    check(moved > 200, f"while coasting the planets and stars scroll ({moved} pixels changed)")
    check(canvas(coasting, 160, 90) == GLASS, "the rocket stays at the centre")

    x.keys("Escape")
    status = wait_exit(process)
    check(status == 0, f"exit status {status}")
    rumble, peak = heard(sound)
    # Every sample the flame's frames queued is heard as the rumble, and then only its fade.
    queued = flame_queued(trace)
    check(flame_frames(trace) >= 24 and queued > RATE // 2 and
          queued - RATE // 1000 <= rumble <= queued + RELEASE + RATE // 1000,
          f"Up held for {flame_frames(trace)} frames: {queued / RATE:.3f} s of rumble queued, "
          f"{rumble / RATE:.3f} s heard")
    check(0 < peak < 32767, f"the loudest sample {peak} is below full scale")

    sound = os.path.join(build, "flight-sound-muted.raw")
    process, window = x.launch(game, build, {"SDL_AUDIODRIVER": "disk",
                                             "SDL_DISKAUDIOFILE": sound}, ["--mute"])
    x.hold(process, "Up", 10)
    x.keys("Escape")
    status = wait_exit(process)
    _, peak = heard(sound)
    check(status == 0 and peak == 0, f"with --mute: exit status {status}, the loudest sample {peak}")

finish()
