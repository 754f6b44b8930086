#!/usr/bin/env python3
"""The sound's figures, from the real game under Xvfb with SDL's disk driver, which takes the
samples at a sound card's pace and writes them to a file, and through a private PulseAudio
whose null sink is recorded: the CPU at rest with the sound on and muted, in turns; the time
from the present of the first frame that shows the flame to the rumble's first sample, by
either way; a frame's time while the server is gone and the game looks for it, beside one with
the server there; and the time from the last present to the end after Escape with the engine
burning.  tools/sound_figures.py BUILD [RUNS]"""
import array
import os
import statistics
import sys
import tempfile
import time

from sound_server import SoundServer
from xsession import XSession, cpu_seconds, wait_exit

build = os.path.abspath(sys.argv[1])
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
game = os.path.join(build, "rocket")
probe = os.path.join(build, "bench", "libpresent_probe.so")
FRAME_BYTES = 4  # 16-bit stereo


def launch(x, scratch, args=(), server=None):
    """The game with the present probe, playing to the disk driver, or to `server`."""
    sound = os.path.join(scratch, "sound.raw")
    presents = os.path.join(scratch, "presents")
    # The pixel below the rocket's nozzle, where the flame shows.
    env = {"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": sound, "LD_PRELOAD": probe,
           "PRESENTS_FILE": presents, "PRESENT_PIXEL": f"{160 * 4 + 1} {107 * 4 + 1}"}
    if server is not None:
        env.update(server.env, SDL_AUDIODRIVER="pulseaudio")
    process, _ = x.launch(game, build, env, args)
    return process, sound, presents


def read_presents(path):
    return [(int(t), int(colour, 16)) for t, colour in (line.split() for line in open(path))]


def first_flame(presents, after):
    return next(t for t, colour in presents
                if t > after and colour >> 16 > 200 and colour & 0xFF < 120)


def quit_burning(x, process):
    """Escape with Up held; the nanoseconds at which the process ended."""
    x.keys("Escape")
    status = wait_exit(process)
    ended = time.monotonic_ns()
    x.keys("Up", action="keyup")
    return ended if status == 0 else None


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
        ended = quit_burning(x, process)
        shown = read_presents(presents)
    flame = first_flame(shown, pressed)
    return (None if heard is None else (heard - flame) / 1e6), (ended - shown[-1][0]) / 1e6


def server_latency(x, server):
    """The same through the sound server, the first sample as recorded from its sink, and the
    end after Escape."""
    with tempfile.TemporaryDirectory() as scratch:
        clip = server.record()
        process, _, presents = launch(x, scratch, server=server)
        time.sleep(1.0)
        pressed = time.monotonic_ns()
        start = len(clip.samples()) // 2
        x.keys("Up", action="keydown")
        time.sleep(0.6)
        ended = quit_burning(x, process)
        samples = clip.stop()
        shown = read_presents(presents)
    rumble = next((i for i in range(start, len(samples) // 2)
                   if samples[2 * i] == samples[2 * i + 1] != 0), None)
    flame = first_flame(shown, pressed)
    heard = None if rumble is None else (clip.time_of(rumble) * 1e9 - flame) / 1e6
    return heard, (ended - shown[-1][0]) / 1e6


def frame_times(x, server):
    """Present-to-present times in ms, for 4 s with the server there and 4 s without it, when
    the game looks for it once a second."""
    with tempfile.TemporaryDirectory() as scratch:
        process, _, presents = launch(x, scratch, server=server)
        time.sleep(1.0)
        there = time.monotonic_ns()
        time.sleep(4.0)
        server.stop()
        gone = time.monotonic_ns()
        time.sleep(4.0)
        back = time.monotonic_ns()
        x.keys("Escape")
        wait_exit(process)
        server.start()
        times = [t for t, _ in read_presents(presents)]
    gaps = list(zip(times, times[1:]))
    return ([(b - a) / 1e6 for a, b in gaps if there <= a and b <= gone],
            [(b - a) / 1e6 for a, b in gaps if gone <= a and b <= back])


with XSession() as x, tempfile.TemporaryDirectory() as folder, SoundServer(folder) as server:
    server.start()
    shares = {"on": [], "muted": []}
    delays = {"disk": [], "server": []}
    ends = {"disk": [], "server": []}
    frames = {"there": [], "gone": []}
    for run in range(runs):
        shares["on"].append(at_rest(x, ()))
        shares["muted"].append(at_rest(x, ("--mute",)))
        for how, measure in (("disk", lambda: latency(x)), ("server", lambda: server_latency(x, server))):
            delay, end = measure()
            delays[how].append(delay)
            ends[how].append(end)
        there, gone = frame_times(x, server)
        frames["there"] += there
        frames["gone"] += gone
on, muted = (statistics.median(shares[k]) for k in ("on", "muted"))
print(f"| CPU at rest under Xvfb, disk sound driver, share of one core ({runs} runs in turns) "
      "| median |")
print("|---|---|")
print(f"| sound on | {on:.1f}% |")
print(f"| muted (--mute) | {muted:.1f}% |")
print(f"| on / muted | {on / muted:.2f} |")
print()
names = {"disk": "disk driver", "server": "PulseAudio, as recorded from its sink"}


def by_driver(title, measured):
    """A table of milliseconds, one row for each way the sound went; a run that measured
    nothing is counted out."""
    print(f"| {title} | median | range |")
    print("|---|---|---|")
    for how in ("disk", "server"):
        got = [m for m in measured[how] if m is not None]
        print(f"| {names[how]}, {len(got)} of {runs} runs | {statistics.median(got):.0f} ms | "
              f"{min(got):.0f} to {max(got):.0f} ms |")
    print()


by_driver("present of the first flame frame to the rumble's first sample, runs in turns", delays)
by_driver("Escape with the engine burning: the last present to the process's end", ends)
print("| A frame, present to present, PulseAudio | median | longest | frames |")
print("|---|---|---|---|")
for key, what in (("there", "with the server there"), ("gone", "server gone, looked for once a second")):
    print(f"| {what} | {statistics.median(frames[key]):.1f} ms | {max(frames[key]):.1f} ms | "
          f"{len(frames[key])} |")
print(f"| median gone / there | {statistics.median(frames['gone']) / statistics.median(frames['there']):.3f} | | |")
