#!/usr/bin/env python3
"""The game's sound as a desktop delivers it: through a real PulseAudio, private to the test,
playing into a null sink whose monitor is recorded, the game in an Xvfb window with SDL's
PulseAudio driver. The rumble and the knocks are heard; the sound comes back after the server
restarts, and arrives when the server starts after the game; Escape while the engine burns ends
without a click; --mute and M are silent. The recordings stay in the build tree."""
import array
import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tools"))
from sound_server import RATE, SoundServer
from xsession import XSession, output_of, settle, wait_exit

game, build = sys.argv[1:3]
failures = []


def check(condition, message):
    print(("ok   " if condition else "FAIL ") + message)
    if not condition:
        failures.append(message)


def rumble_frames(samples):
    """Sample frames of the rumble: it comes from the centre, the same on both sides, and a
    knock of the ball at a side never does."""
    return [i for i in range(len(samples) // 2)
            if samples[2 * i] == samples[2 * i + 1] != 0]


def knock_frames(samples):
    return [i for i in range(len(samples) // 2) if samples[2 * i] != samples[2 * i + 1]]


def keep(samples, name):
    with open(os.path.join(build, f"sound-server-{name}.raw"), "wb") as f:
        f.write(array.array("h", samples).tobytes())


def said(process):
    lines = output_of(process).splitlines()
    return ([l for l in lines if l.startswith("rocket: ")],
            [l for l in lines if not l.startswith("rocket: ")])


def hold_up_until_heard(x, clip, seconds=2.0):
    """Holds Up until the rumble is heard or `seconds` pass; the seconds from the press to the
    rumble's first sample, or None."""
    pressed = time.monotonic()
    x.keys("Up", action="keydown")
    heard, seen = None, 0
    while heard is None and time.monotonic() < pressed + seconds:
        time.sleep(0.05)
        samples = clip.samples()
        frames = rumble_frames(samples[2 * seen:])
        if frames:
            heard = clip.time_of(seen + frames[0]) - pressed
        seen = len(samples) // 2
    x.keys("Up", action="keyup")
    return heard


def returns(server, process, seconds=4.0):
    """Seconds from the server's start until the game plays to it again, or None."""
    while time.monotonic() < server.started_at + seconds and process.poll() is None:
        if server.players():
            return time.monotonic() - server.started_at
        time.sleep(0.02)
    return None


def came_back(server, process, x, how, before):
    """Starts the server: the game's stream returns within 2 s, the next Up is heard at once,
    and the game, ended with Escape, said `before` (the start of its line) and that the sound
    is back, and nothing else."""
    server.start()
    back = returns(server, process)
    check(back is not None and back <= 2.0, f"{how}: the game plays to the server again within "
          "2 s of its start: " + (f"{back:.2f} s" if back is not None else "never"))
    clip = server.record()
    heard = hold_up_until_heard(x, clip)
    check(heard is not None and heard < 0.3, f"{how}: the next Up is heard " +
          (f"{heard * 1000:.0f} ms after the press" if heard is not None else "never"))
    x.keys("Escape")
    status = wait_exit(process)
    keep(clip.stop(), how.replace(" ", "-"))
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
    time.sleep(4.5)  # the ball's first knocks, at the right edge and at the bottom
    x.keys("Up", action="keydown")
    time.sleep(1.0)
    x.keys("Up", action="keyup")
    settle(4)
    x.keys("Escape")
    status = wait_exit(process)
    samples = recording.stop()
    keep(samples, "play")
    rumble = rumble_frames(samples)
    seconds = len(rumble) / RATE
    check(0.8 <= seconds <= 1.3, f"Up held for a second: {seconds:.2f} s of rumble")
    check(len(knock_frames(samples)) > RATE // 100, "the ball's knocks are heard at rest")
    lines, log = said(process)
    check(status == 0 and lines == [] and len(log) == 51,
          f"played: status {status}, {len(log)} lines out, said {lines}")

    # The server goes away at rest and comes back: the loss is noticed, the sound returns.
    process, window = x.launch(game, build, env)
    settle(10)
    server.stop()
    time.sleep(1.5)
    lost, _ = said(process)
    check(len(lost) == 1 and lost[0].startswith("rocket: the sound device was lost"),
          f"a loss at rest is noticed within 1.5 s: {lost}")
    came_back(server, process, x, "restarted", "rocket: the sound device was lost")

    # No server when the game starts; then one starts: the sound arrives.
    server.stop()
    process, window = x.launch(game, build, env)
    settle(6)
    came_back(server, process, x, "late server", "rocket: no sound (")

    # Escape while the engine burns: the rumble fades to silence.
    recording = server.record()
    process, window = x.launch(game, build, env)
    settle(10)
    x.keys("Up", action="keydown")
    time.sleep(0.8)
    x.keys("Escape")
    status = wait_exit(process)
    x.keys("Up", action="keyup")
    samples = recording.stop()
    keep(samples, "escape")
    left = samples[0::2]
    last = max((i for i, s in enumerate(left) if s != 0), default=0)
    body = left[last - RATE // 2:last - RATE // 10]
    level = max(map(abs, body), default=0)
    biggest_step = max((abs(b - a) for a, b in zip(body, body[1:])), default=0)
    end = left[last - RATE // 10:last + 2]
    loud_until = max((i for i, s in enumerate(end) if abs(s) > level // 2), default=0)
    steps = [abs(b - a) for a, b in zip(end, end[1:])]
    falls = (len(end) - 2 - loud_until) / RATE * 1000
    check(status == 0 and level > 1000, f"the rumble played at {level} until Escape")
    check(falls >= 2.0 and max(steps) <= biggest_step,
          f"after Escape the rumble falls from half its level to silence over {falls:.1f} ms, "
          f"steps at most {max(steps)} (the rumble's own: {biggest_step})")

    # Muted from the start, or by M while the engine burns: nothing from M's fade on.
    recording = server.record()
    process, window = x.launch(game, build, env, ["--mute"])
    x.keys("Up", action="keydown")
    time.sleep(1.0)
    x.keys("Up", action="keyup")
    x.keys("Escape")
    wait_exit(process)
    samples = recording.stop()
    check(samples and not any(samples), "--mute: nothing is heard")
    recording = server.record()
    process, window = x.launch(game, build, env)
    x.keys("Up", action="keydown")
    time.sleep(0.5)
    x.keys("m")
    muted = time.monotonic()
    time.sleep(0.8)
    x.keys("Up", action="keyup")
    x.keys("Escape")
    wait_exit(process)
    samples = recording.stop()
    keep(samples, "m")
    after = [i for i in range(len(samples) // 2)
             if samples[2 * i] and recording.time_of(i) > muted + 0.25]
    check(rumble_frames(samples) and not after,
          f"M: the rumble, then nothing from 250 ms after M ({len(after)} samples)")

if failures:
    print(f"{len(failures)} failed")
    sys.exit(1)
