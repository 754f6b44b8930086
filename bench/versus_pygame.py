#!/usr/bin/env python3
"""versus_pygame.py BUILD: our collision scan beside pygame's Mask.overlap on the same masks and
offsets, in one run. Square masks of 256, 1024 and 4096 pixels a side; a solid on even rows and
b on odd rows, so they never meet and the whole overlap is scanned; a laid `shift` columns right
of b, for every shift within a word and aligned. Ours is timed by bench/poke_bench, pygame's with
timeit in this process, in FIGURE_RUNS (5) rounds that alternate which goes first; medians."""
import json
import os
import statistics
import subprocess
import sys
import tempfile
import timeit

os.environ["PYGAME_HIDE_SUPPORT_PROMPT"] = "1"
import pygame  # noqa: E402  (Debian's python3-pygame, installed by scripts/setup pygame)

build = os.path.abspath(sys.argv[1])
runs = int(os.environ.get("FIGURE_RUNS", "5"))
SIZES = (256, 1024, 4096)
SHIFTS = range(16)


def ours(size):
    """Seconds per call of our scan for every shift, one run of the benchmark."""
    with tempfile.NamedTemporaryFile(suffix=".json") as results:
        subprocess.run([os.path.join(build, "bench", "poke_bench"),
                        f"--benchmark_filter=BM_Poke<{size}, .*>/0/",
                        f"--benchmark_out={results.name}", "--benchmark_out_format=json",
                        "--benchmark_min_time=0.05"],
                       capture_output=True, check=True)
        rows = json.load(open(results.name))["benchmarks"]
    return {int(row["run_name"].rsplit("/", 1)[1]): row["real_time"] * 1e-9 for row in rows}


def pygame_masks(size):
    a, b = pygame.mask.Mask((size, size)), pygame.mask.Mask((size, size))
    row = pygame.mask.Mask((size, 1), fill=True)
    for r in range(size):
        (a if r % 2 == 0 else b).draw(row, (0, r))
    return a, b


def theirs(size, masks):
    """Seconds per call of pygame's Mask.overlap for every shift, one round."""
    a, b = masks
    number = max(1, 1000000 // (size * size))
    times = {}
    for shift in SHIFTS:
        offset = (-shift, 0)  # b's place as seen from a: a lies `shift` columns right of b
        assert a.overlap(b, offset) is None
        times[shift] = min(timeit.repeat(lambda: a.overlap(b, offset), number=number,
                                         repeat=3)) / number
    return times


def measure():
    """Medians over rounds that take turns at going first, so a slow spell of the machine
    falls on both alike."""
    masks = {size: pygame_masks(size) for size in SIZES}
    mine = {key: [] for key in ((size, s) for size in SIZES for s in SHIFTS)}
    pygames = {key: [] for key in mine}
    for round in range(runs):
        for size in SIZES:
            pair = [lambda: ours(size), lambda: theirs(size, masks[size])]
            results = [f() for f in (pair if round % 2 == 0 else pair[::-1])]
            if round % 2:
                results.reverse()
            for shift in SHIFTS:
                mine[(size, shift)].append(results[0][shift])
                pygames[(size, shift)].append(results[1][shift])
    median = statistics.median
    return ({k: median(v) for k, v in mine.items()}, {k: median(v) for k, v in pygames.items()})


def machine():
    with open("/proc/cpuinfo") as cpuinfo:
        model = next((l.split(":", 1)[1].strip() for l in cpuinfo if l.startswith("model name")),
                     "unknown CPU")
    return f"{model}, {os.cpu_count()} cores; pygame {pygame.version.ver}"


def shown(seconds):
    return f"{seconds * 1e6:.2f} us" if seconds >= 1e-6 else f"{seconds * 1e9:.0f} ns"


mine, pygames = measure()
print(f"Machine: {machine()}\n")
print("| Masks, no overlap | shift | ours | per 16 pixels | pygame | per 16 pixels | pygame / ours |")
print("|---|---|---|---|---|---|---|")
for size in SIZES:
    windows = size // 16 * size
    shifted = [pygames[(size, s)] / mine[(size, s)] for s in SHIFTS if s]
    for shift in SHIFTS:
        if shift not in (0, 1, 5, 8, 15):
            continue
        ours_s, theirs_s = mine[(size, shift)], pygames[(size, shift)]
        print(f"| {size} x {size} | {shift} | {shown(ours_s)} | {ours_s / windows * 1e9:.3f} ns | "
              f"{shown(theirs_s)} | {theirs_s / windows * 1e9:.3f} ns | "
              f"{theirs_s / ours_s:.2f} |")
    print(f"| {size} x {size} | 1 to 15: median, least | | | | | "
          f"{statistics.median(shifted):.2f}, {min(shifted):.2f} |")
