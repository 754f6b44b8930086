#!/usr/bin/env python3
"""The game's sound as a desktop delivers it: through a real PulseAudio, private to the test,
playing into a null sink whose monitor is recorded, the game in an Xvfb window with SDL's
PulseAudio driver. The rumble and the knocks are heard; the sound comes back after the server
restarts, and arrives when the server starts after the game; Escape while the engine burns ends
without a click; --mute and M are silent. Waits and bounds are counted in the game's frames (its
frame trace): a frame takes at least 41 ms, so N frames are never less than N times that. The
recordings stay in the build tree."""
import array
import math
import os
import sys
import tempfile

from e2e import check, finish
from sound_server import RATE, SoundServer
from xsession import (XSession, between_knocks, flame_frames, flame_queued, heard_rumble, output_of, play,
                      trace_of, wait_exit)

game, build = map(os.path.abspath, sys.argv[1:3])  # the game runs in build/
RELEASE = RATE * 14 // 1000  # the rumble's fade once the flame is out
FADE = RATE * 5 // 1000  # what plays when the sound is turned off or the game quits
LEAD = RATE * 66 // 1000  # what the game keeps queued ahead of the device


def frames_for(seconds):
    """The most frames that `seconds` can hold: a frame is never shorter than its 41 ms wait."""
    return math.ceil(seconds / 0.041)


def rumble_frames(samples):
    """Sample frames of the rumble: it comes from the centre, the same on both sides, and a
    knock of the ball at a side never does."""
    return [i for i in range(len(samples) // 2)
            if samples[2 * i] == samples[2 * i + 1] != 0]


def knock_frames(samples):
    return [i for i in range(len(samples) // 2) if samples[2 * i] != samples[2 * i + 1]]


def ran_dry(samples, last):
    """Marks the sample frames up to `last` where the device had nothing to play: runs of four
    or more silent ones, which the rumble's noise never gives. A frame made late by a busy
    machine lets the queue run dry; the steps into and out of that are not the game's."""
    silent = [samples[2 * i] == 0 and samples[2 * i + 1] == 0 for i in range(len(samples) // 2)]
    dry = [False] * len(silent)
    last = min(last, len(silent) - 1)
    i = 0
    while i <= last:
        j = i
        while j <= last and silent[j]:
            j += 1
        if j - i >= 4:
            dry[i:j] = [True] * (j - i)
        i = max(j, i + 1)
    return dry


def keep(samples, name):
    with open(os.path.join(build, f"sound-server-{name}.raw"), "wb") as f:
        f.write(array.array("h", samples).tobytes())


def said(process):
    lines = output_of(process).splitlines()
    return ([l for l in lines if l.startswith("rocket: ")],
            [l for l in lines if not l.startswith("rocket: ")])


def returns(server, process, frames):
    """The frames from the server's start until the game plays to it again, or None."""
    start = len(trace_of(process))
    trace = play(process, frames, until=lambda trace: server.players() > 0)
    return len(trace) - start if server.players() > 0 else None


def rumble_heard(samples, trace, how):
    """The rumble the flame's frames queued is heard, every sample of it, then its fade."""
    queued, heard = flame_queued(trace), heard_rumble(samples)
    check(queued > 0 and queued - RATE // 1000 <= heard <= queued + RELEASE + RATE // 1000,
          f"{how}: Up held for {flame_frames(trace)} frames: {queued / RATE:.3f} s of rumble "
          f"queued, {heard / RATE:.3f} s heard")


def came_back(server, process, x, how, before):
    """Starts the server: the game's stream returns within 2 s (in frames), the next Up is
    heard in full, and the game, ended with Escape, said `before` (the start of its line) and
    that the sound is back, and nothing else."""
    server.start()
    back = returns(server, process, frames_for(2.0))
    check(back is not None, f"{how}: the game plays to the server again within "
          f"{frames_for(2.0)} frames (2 s) of its start: " +
          (f"{back} frames" if back is not None else "never"))
    clip = server.record()
    start = len(between_knocks(process, 6 + 6))  # the rumble heard alone
    trace = x.hold(process, "Up", 6)[start:]
    play(process, 2)
    x.keys("Escape")
    status = wait_exit(process)
    samples = clip.stop()
    keep(samples, how.replace(" ", "-"))
    rumble_heard(samples, trace, f"{how}: the next Up")
    lines, log = said(process)
    check(status == 0 and len(lines) == 2 and lines[0].startswith(before) and
          lines[1] == "rocket: sound is back" and len(log) == 51,
          f"{how}: status {status}, {len(log)} lines out, said {lines}")


with tempfile.TemporaryDirectory() as folder, XSession() as x, SoundServer(folder) as server:
    env = dict(server.env, SDL_AUDIODRIVER="pulseaudio")

    # Played through the server: Up held for a second, the ball knocking at rest.
    server.start()
    recording = server.record()
    process, window = x.launch(game, build, env)
    play(process, 100)  # the ball's first knocks, at the right edge and at the bottom
    between_knocks(process, 24 + 8)  # the rumble heard alone
    trace = x.hold(process, "Up", 24)
    play(process, 4)
    x.keys("Escape")
    status = wait_exit(process)
    samples = recording.stop()
    keep(samples, "play")
    rumble_heard(samples, trace, "played")
    check(len(knock_frames(samples)) > RATE // 100, "the ball's knocks are heard at rest")
    lines, log = said(process)
    check(status == 0 and lines == [] and len(log) == 51,
          f"played: status {status}, {len(log)} lines out, said {lines}")

    # The server goes away at rest and comes back: the loss is noticed, the sound returns.
    process, window = x.launch(game, build, env)
    play(process, 10)
    server.stop()
    play(process, frames_for(1.5), until=lambda trace: said(process)[0])
    lost, _ = said(process)
    check(len(lost) == 1 and lost[0].startswith("rocket: the sound device was lost"),
          f"a loss at rest is noticed within {frames_for(1.5)} frames (1.5 s): {lost}")
    came_back(server, process, x, "restarted", "rocket: the sound device was lost")

    # No server when the game starts; then one starts: the sound arrives.
    server.stop()
    process, window = x.launch(game, build, env)
    play(process, 6)
    came_back(server, process, x, "late server", "rocket: no sound (")

    # Escape while the engine burns: the rumble fades to silence.
    recording = server.record()
    process, window = x.launch(game, build, env)
    play(process, 10)
    x.hold(process, "Up", 20, release=False)
    x.keys("Escape")
    status = wait_exit(process)
    x.keys("Up", action="keyup")
    samples = recording.stop()
    keep(samples, "escape")
    left = samples[0::2]
    last = max((i for i, s in enumerate(left) if s != 0), default=0)
    dry = ran_dry(samples, last)
    body = range(last - RATE // 2, last - RATE // 10)
    level = max((abs(left[i]) for i in body), default=0)
    biggest_step = max((abs(left[i + 1] - left[i]) for i in body
                        if not dry[i] and not dry[i + 1]), default=0)
    loud_until = max((i for i in range(last - RATE // 10, last + 1) if abs(left[i]) > level // 2),
                     default=0)
    # The fade's steps, down to the silence after it.
    steps = [abs(left[i + 1] - left[i]) for i in range(last - FADE, last + 1)
             if not dry[i] and not dry[i + 1]]
    falls = (last - loud_until) / RATE * 1000
    check(status == 0 and level > 1000, f"the rumble played at {level} until Escape")
    # A step of the fade is the rumble's own, scaled down, plus the fade's fall of gain over one
    # sample times the level; a click would be a step of about the level itself.
    ramp = level // FADE + 1
    check(falls >= 2.0 and max(steps) <= biggest_step + ramp,
          f"after Escape the rumble falls from half its level to silence over {falls:.1f} ms, "
          f"steps at most {max(steps)} (the rumble's own: {biggest_step}, the fade's: {ramp})")

    # Muted from the start, or by M while the engine burns: nothing from M's fade on.
    recording = server.record()
    process, window = x.launch(game, build, env, ["--mute"])
    trace = x.hold(process, "Up", 24)
    x.keys("Escape")
    wait_exit(process)
    samples = recording.stop()
    check(samples and not any(samples) and trace[-1].queued == 0,
          f"--mute: nothing is heard, {trace[-1].queued} samples queued")
    recording = server.record()
    process, window = x.launch(game, build, env)
    x.hold(process, "Up", 12, release=False)
    x.keys("m")
    trace = play(process, 1 << 30, until=lambda trace: trace[-1].mute)
    trace = x.hold(process, "Up", 18)
    x.keys("Escape")
    wait_exit(process)
    samples = recording.stop()
    keep(samples, "m")
    # Everything heard was queued by the frame that read M, but the fade that frame queues
    # next; the game queues nothing more after it.
    by_m = next(line.queued for line in trace if line.mute)
    heard = sum(1 for i in range(len(samples) // 2) if samples[2 * i] or samples[2 * i + 1])
    check(rumble_frames(samples) and heard <= by_m + FADE and trace[-1].queued <= by_m + LEAD,
          f"M: the rumble, then only its fade: {heard} samples heard, {by_m} queued by M's "
          f"frame, {trace[-1].queued - by_m} after it")

finish()
