#!/usr/bin/env python3
"""figures.py BUILD: every performance figure of the README in one run. One frame's work against
a bare loop of the same SDL calls (headless, software renderer); the collision scan; start-up to
the first presented frame and peak resident memory of the real game under Xvfb."""
import json
import os
import platform
import statistics
import subprocess
import sys
import tempfile
import time

from xsession import XSession, wait_exit

build = os.path.abspath(sys.argv[1])
runs = int(os.environ.get("FIGURE_RUNS", "5"))


def medians(binary):
    # The results go to a file: the frame benchmark's start-up writes its loading lines to stdout.
    with tempfile.NamedTemporaryFile(suffix=".json") as results:
        subprocess.run([binary, f"--benchmark_out={results.name}", "--benchmark_out_format=json",
                        f"--benchmark_repetitions={runs}", "--benchmark_report_aggregates_only=true"],
                       cwd=build, capture_output=True, text=True, check=True,
                       env=dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_RENDER_DRIVER="software"))
        rows = json.load(open(results.name))["benchmarks"]
    return {r["run_name"]: r for r in rows if r.get("aggregate_name") == "median"}


def machine():
    model = "unknown CPU"
    with open("/proc/cpuinfo") as cpuinfo:
        for line in cpuinfo:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    return f"{model}, {os.cpu_count()} cores, {platform.system()} {platform.release()}"


print(f"Machine: {machine()}\n")

frames = medians(os.path.join(build, "bench", "frame_bench"))
game = frames["BM_GameFrame"]["real_time"]
bare = frames["BM_BareFrame"]["real_time"]
print("| One frame's work (no 41 ms wait), headless software renderer | median |")
print("|---|---|")
print(f"| the game's lists, stepped once | {game / 1000:.2f} ms |")
print(f"| a bare loop of the same SDL calls | {bare / 1000:.2f} ms |")
print(f"| game / bare | {game / bare:.3f} |\n")

poke = medians(os.path.join(build, "bench", "poke_bench"))
print("| Collision scan | no hit, per call | per window | reference per window | early hit |")
print("|---|---|---|---|---|")
for shape in ["16, 16, 32, 32", "16, 4, 16, 4", "256, 256, 256, 256", "1024, 1024, 1024, 1024",
              "4096, 4096, 4096, 4096"]:
    full, hit = poke[f"BM_Poke<{shape}>/0"], poke[f"BM_Poke<{shape}>/1"]
    ref = next(v for k, v in poke.items() if k.startswith(f"BM_Reference<{shape}>/0"))
    per_call = full["real_time"]
    per_call = f"{per_call / 1000:.3g} us" if per_call >= 1000 else f"{per_call:.3g} ns"
    print(f"| `Poke<{shape.replace(' ', '')}>` | {per_call} | "
          f"{full['per_window'] * 1e9:.3g} ns | {ref['per_window'] * 1e9:.3g} ns | "
          f"{hit['real_time']:.3g} ns |")
print()

starts, peaks = [], []
probe = os.path.join(build, "bench", "libfirst_frame_probe.so")
with XSession() as x, tempfile.TemporaryDirectory() as scratch:
    for run in range(runs):
        mark = os.path.join(scratch, f"first-frame-{run}")
        process, window = x.launch(os.path.join(build, "rocket"), build,
                                   {"LD_PRELOAD": probe, "FIRST_FRAME_FILE": mark})
        deadline = time.monotonic() + 10
        while not os.path.exists(mark) and time.monotonic() < deadline:
            time.sleep(0.005)
        time.sleep(1.0)  # let it play a little before reading its peak
        with open(mark) as f:
            starts.append((int(f.read()) - process.started_ns) / 1e6)
        with open(f"/proc/{process.pid}/status") as status:
            peaks.append(next(int(l.split()[1]) for l in status if l.startswith("VmHWM:")))
        x.keys("Escape")
        wait_exit(process)
print("| Real game under Xvfb | median | range |")
print("|---|---|---|")
print(f"| launch to first presented frame | {statistics.median(starts):.0f} ms | "
      f"{min(starts):.0f} to {max(starts):.0f} ms |")
print(f"| peak resident memory | {statistics.median(peaks) / 1024:.1f} MiB | "
      f"{min(peaks) / 1024:.1f} to {max(peaks) / 1024:.1f} MiB |")
