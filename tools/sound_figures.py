#!/usr/bin/env python3
"""The sound's figures, from the real game under Xvfb with SDL's disk driver, which takes the
samples at a sound card's pace and writes them to a file: the CPU at rest with the sound on and
muted, in turns, and the time from the present of the first frame that shows the flame to the
rumble's first sample.  tools/sound_figures.py BUILD [RUNS]"""
import array
import os
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(__file__))
from xsession import XSession, cpu_seconds, wait_exit

build = os.path.abspath(sys.argv[1])
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
game = os.path.join(build, "rocket")
probe = os.path.join(build, "bench", "libpresent_probe.so")
FRAME_BYTES = 4  # 16-bit stereo


def launch(x, scratch, args=()):
    sound = os.path.join(scratch, "sound.raw")
    presents = os.path.join(scratch, "presents")
    # The pixel below the rocket's nozzle, where the flame shows.
    env = {"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": sound, "LD_PRELOAD": probe,
           "PRESENTS_FILE": presents, "PRESENT_PIXEL": f"{160 * 4 + 1} {107 * 4 + 1}"}
    process, _ = x.launch(game, build, env, args)
    return process, sound, presents


def at_rest(x, args):
    """Share of one core over 4 s at rest, the ball knocking now and then."""
    with tempfile.TemporaryDirectory() as scratch:
        process, _, _ = launch(x, scratch, args)
        time.sleep(1.0)
        used, since = cpu_seconds(process.pid), time.monotonic()
        time.sleep(4.0)
        share = 100 * (cpu_seconds(process.pid) - used) / (time.monotonic() - since)
        x.keys("Escape")
        wait_exit(process)
    return share


def latency(x):
    """Milliseconds from the present that first shows the flame to the moment the disk driver
    takes the rumble's first sample, as a sound card would start to play it."""
    with tempfile.TemporaryDirectory() as scratch:
        process, sound, presents = launch(x, scratch)
        time.sleep(1.0)
        seen = os.path.getsize(sound)
        pressed = time.monotonic_ns()
        x.keys("Up", action="keydown")
        heard = None
        with open(sound, "rb") as f:
            f.seek(seen - seen % FRAME_BYTES)
            while heard is None and time.monotonic_ns() - pressed < 2e9:
                chunk = f.read()
                now = time.monotonic_ns()
                chunk = chunk[:len(chunk) - len(chunk) % FRAME_BYTES]
                if not chunk:
                    time.sleep(0.0005)
                    continue
                f.seek(-(len(chunk) % FRAME_BYTES), os.SEEK_CUR)
                samples = array.array("h", chunk)
                if any(left == right != 0 for left, right in zip(samples[0::2], samples[1::2])):
                    heard = now
        x.keys("Up", action="keyup")
        x.keys("Escape")
        wait_exit(process)
        frames = [line.split() for line in open(presents)]
    flame = next(int(t) for t, colour in frames
                 if int(t) > pressed and int(colour, 16) >> 16 > 200 and int(colour, 16) & 0xFF < 120)
    return None if heard is None else (heard - flame) / 1e6


with XSession() as x:
    shares = {"on": [], "muted": []}
    delays = []
    for run in range(runs):
        shares["on"].append(at_rest(x, ()))
        shares["muted"].append(at_rest(x, ("--mute",)))
        delays.append(latency(x))
on, muted = (statistics.median(shares[k]) for k in ("on", "muted"))
heard = [d for d in delays if d is not None]
print(f"| CPU at rest under Xvfb, disk sound driver, share of one core ({runs} runs in turns) "
      "| median |")
print("|---|---|")
print(f"| sound on | {on:.1f}% |")
print(f"| muted (--mute) | {muted:.1f}% |")
print(f"| on / muted | {on / muted:.2f} |")
print()
print(f"| present of the first flame frame to the rumble's first sample | median | range |")
print("|---|---|---|")
print(f"| disk driver, {len(heard)} of {runs} runs | {statistics.median(heard):.0f} ms | "
      f"{min(heard):.0f} to {max(heard):.0f} ms |")
