#!/usr/bin/env python3
"""hardening_figures.py BUILD OLD: the game as built now beside the same game built with the old
flags (OLD: a build of an earlier commit, say), in one run: one frame's work (headless, software
renderer, the frame benchmark's median of three, taken FIGURE_RUNS times in turns) and launch to
the first presented frame under Xvfb (FIGURE_RUNS launches each, in turns)."""
import os
import statistics
import sys
import tempfile

import measure
from xsession import XSession, wait_exit

builds = {"now": os.path.abspath(sys.argv[1]), "old flags": os.path.abspath(sys.argv[2])}
runs = int(os.environ.get("FIGURE_RUNS", "5"))
frames = {name: [] for name in builds}
starts = {name: [] for name in builds}
for run in range(runs):
    for name, build in builds.items():
        rows = measure.medians(build, os.path.join(build, "bench", "frame_bench"), 3,
                               "--benchmark_filter=BM_GameFrame/1$")
        frames[name].append(rows["BM_GameFrame/1"]["real_time"] / 1000)
with XSession() as x, tempfile.TemporaryDirectory() as scratch:
    for run in range(runs):
        for name, build in builds.items():
            process, ms = measure.first_frame(x, build, scratch, f"{run}-{name.replace(' ', '-')}")
            starts[name].append(ms)
            x.keys("Escape")
            wait_exit(process)

frame, start = ({name: statistics.median(values[name]) for name in builds}
                for values in (frames, starts))
print(f"| Medians of {runs}, in turns | now | old flags | now / old |")
print("|---|---|---|---|")
print(f"| one frame's work on the canvas | {frame['now']:.3f} ms | {frame['old flags']:.3f} ms | "
      f"{frame['now'] / frame['old flags']:.2f} |")
print(f"| launch to first presented frame | {start['now']:.0f} ms | {start['old flags']:.0f} ms | "
      f"{start['now'] / start['old flags']:.2f} |")
