#!/usr/bin/env python3
"""windows_figures.py BUILD WINDOWS: the Windows build's figures, beside the native game's on the
same Xvfb and in the same run: launch to the first presented frame (Wine's wineserver kept warm)
and presents per second, medians of FIGURE_RUNS (5) runs taken in turns; the zip's size; and
fetching SDL2 for Windows from the cache. Under Wine a present is seen in d3d9's trace, whose
time stamps are this machine's monotonic clock; natively, bench's present probe notes it."""
import os
import statistics
import subprocess
import sys
import tempfile
import time
import zipfile

from xsession import XSession, wait_exit

build, windows = (os.path.abspath(p) for p in sys.argv[1:3])
runs = int(os.environ.get("FIGURE_RUNS", "5"))
root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
archive = next(os.path.join(windows, f) for f in os.listdir(windows)
               if f.endswith("-windows-x64.zip"))
PLAY_SECONDS = 4.0


def rates(presents, started):
    """Launch to the first present in ms, and presents per second after the first second."""
    later = [t for t in presents if t >= presents[0] + 1.0]
    rate = (len(later) - 1) / (later[-1] - later[0]) if len(later) > 1 else 0.0
    return (presents[0] - started) * 1000, rate


def native_run(x, scratch, run):
    presents = os.path.join(scratch, f"native-{run}")
    probe = os.path.join(build, "bench", "libpresent_probe.so")
    process, _ = x.launch(os.path.join(build, "rocket"), build,
                          {"LD_PRELOAD": probe, "PRESENTS_FILE": presents,
                           "SDL_RENDER_DRIVER": "opengl"})
    time.sleep(PLAY_SECONDS)
    x.keys("Escape")
    wait_exit(process)
    times = [int(line) / 1e9 for line in open(presents)]
    return rates(times, process.started_ns / 1e9)


def wine_run(x, env, exe, scratch, run):
    trace = os.path.join(scratch, f"wine-{run}")
    with open(trace, "w") as log:
        started = time.monotonic()
        process = subprocess.Popen(["wine", exe], cwd=os.path.dirname(exe), env=env,
                                   stdout=subprocess.DEVNULL, stderr=log)
        found = x.run("timeout", "30", "xdotool", "search", "--sync", "--onlyvisible", "--name",
                      "^title$", timeout=35)
        window = found.stdout.split()[0]
        x.run("xdotool", "windowfocus", "--sync", window)
        time.sleep(PLAY_SECONDS)
        x.keys("Escape")
        wait_exit(process, timeout=20)
    times = [float(line.split(":", 1)[0]) for line in open(trace, errors="replace")
             if "d3d9_device_Present " in line]
    return rates(times, started)


results = {"native": [], "wine": []}
with XSession() as x, tempfile.TemporaryDirectory() as scratch:
    with zipfile.ZipFile(archive) as z:
        z.extractall(scratch)
    exe = os.path.join(scratch, os.path.basename(archive)[:-len(".zip")], "rocket.exe")
    env = x.wine(os.path.join(windows, "wine-prefix"), "-all,+timestamp,trace+d3d9", 120)
    wine_run(x, env, exe, scratch, "warm-up")  # the first start fills Wine's caches
    for run in range(runs):
        results["native"].append(native_run(x, scratch, run))
        results["wine"].append(wine_run(x, env, exe, scratch, run))
    subprocess.run(["wineserver", "-k"], env=env)

started = time.monotonic()
subprocess.run([os.path.join(root, "scripts", "build-sdl2"), "windows"], check=True,
               capture_output=True)
cached = time.monotonic() - started

print("| Windows build, under Wine 8 on Xvfb beside the native game | native | Wine | Wine / native |")
print("|---|---|---|---|")
for i, (what, unit) in enumerate((("launch to first presented frame", "ms"),
                                  ("presents per second", ""))):
    native = statistics.median(r[i] for r in results["native"])
    wine = statistics.median(r[i] for r in results["wine"])
    fmt = (lambda v: f"{v:.0f} ms") if unit else (lambda v: f"{v:.1f}")
    print(f"| {what} | {fmt(native)} | {fmt(wine)} | {wine / native:.2f} |")
print(f"\n| the zip | {os.path.getsize(archive) / 1e6:.2f} MB ({os.path.getsize(archive)} bytes) |")
print(f"| SDL2 for Windows from the cache (`scripts/build-sdl2 windows`) | {cached:.2f} s |")
