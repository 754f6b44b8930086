#!/usr/bin/env python3
"""figures.py BUILD: every performance figure of the README in one run. One frame's work on the
canvas and straight to the window against the floor of composing at canvas size (headless,
software renderer); the collision scan; start-up to the first presented frame, peak resident
memory and the CPU used at rest by the real game under Xvfb, on both drawing paths and with a
gamepad plugged in; frames per second in a window and in fullscreen on a 1920x1080 screen."""
import os
import platform
import statistics
import sys
import tempfile
import time

import measure
from xsession import XSession, cpu_seconds, wait_exit

build = os.path.abspath(sys.argv[1])
runs = int(os.environ.get("FIGURE_RUNS", "5"))


def medians(binary, *options):
    return measure.medians(build, binary, runs, *options)


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
canvas = frames["BM_GameFrame/1"]["real_time"]
straight = frames["BM_GameFrame/0"]["real_time"]
floor = frames["BM_FloorFrame"]["real_time"]
print("| One frame's work (no 41 ms wait), headless software renderer | median |")
print("|---|---|")
print(f"| the game, composed on the canvas | {canvas / 1000:.2f} ms |")
print(f"| the game, each image scaled into the window | {straight / 1000:.2f} ms |")
print(f"| floor: the same images composed at 320x180 and scaled once | {floor / 1000:.2f} ms |")
print(f"| canvas / floor | {canvas / floor:.3f} |")
print(f"| canvas / straight | {canvas / straight:.3f} |\n")
sound = frames["BM_FrameSound"]["real_time"]
print("| A frame's sound: 41 ms of the rumble with a knock over it, mixed at 48 kHz | median |")
print("|---|---|")
print(f"| the mix | {sound:.1f} us |")
print(f"| mix / the game's frame on the canvas | {sound / canvas:.3f} |\n")

# The shifts shown here; bench/versus_pygame.py covers every shift.
poke = medians(os.path.join(build, "bench", "poke_bench"),
               "--benchmark_filter=BM_Reference|BM_Poke<.*>/[01]/(0|5)$")


def per_call(name):
    t = poke[name]["real_time"]
    return f"{t / 1000:.3g} us" if t >= 1000 else f"{t:.3g} ns"


print("| Collision scan | aligned, no hit | shifted 5, no hit | per 16 pixels, aligned / shifted | "
      "reference per 16 pixels | early hit |")
print("|---|---|---|---|---|---|")
for shape in ["16, 16, 32, 32", "16, 4, 16, 4", "256, 256, 256, 256", "1024, 1024, 1024, 1024",
              "4096, 4096, 4096, 4096"]:
    aligned, shifted = poke[f"BM_Poke<{shape}>/0/0"], poke[f"BM_Poke<{shape}>/0/5"]
    ref = next(v for k, v in poke.items() if k.startswith(f"BM_Reference<{shape}>/0"))
    hits = [poke[f"BM_Poke<{shape}>/1/{shift}"]["real_time"] for shift in (0, 5)]
    print(f"| `Poke<{shape.replace(' ', '')}>` | {per_call(f'BM_Poke<{shape}>/0/0')} | "
          f"{per_call(f'BM_Poke<{shape}>/0/5')} | {aligned['per_window'] * 1e9:.3g} / "
          f"{shifted['per_window'] * 1e9:.3g} ns | {ref['per_window'] * 1e9:.3g} ns | "
          f"{max(hits):.3g} ns |")
print()

starts, peaks = [], []
probe = os.path.join(build, "bench", "libpresent_probe.so")
with XSession() as x, tempfile.TemporaryDirectory() as scratch:
    for run in range(runs):
        process, start = measure.first_frame(x, build, scratch, run)
        starts.append(start)
        time.sleep(1.0)  # let it play a little before reading its peak
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


# CPU at rest: the game left alone for a few seconds, on each renderer and each drawing path, and
# with a (virtual) gamepad plugged in, the runs interleaved so that a busy moment of the machine
# falls on all of them alike.
no_target = os.path.join(build, "bench", "libno_target_probe.so")
pad = os.path.join(build, "bench", "libvirtual_pad_probe.so")
configs = [("Mesa GL", "opengl", None), ("Mesa GL", "opengl", no_target),
           ("software", "software", None), ("software", "software", no_target),
           ("Mesa GL", "opengl", pad)]
usage = {config: [] for config in configs}
paces = {config: [] for config in configs}


def at_rest(x, env, keys=()):
    """Share of one core the game uses, and its presents per second, left alone for 3 s."""
    with tempfile.TemporaryDirectory() as scratch:
        presents = os.path.join(scratch, "presents")
        env = dict(env, LD_PRELOAD=":".join(filter(None, [env.get("LD_PRELOAD"), probe])),
                   PRESENTS_FILE=presents)
        process, window = x.launch(os.path.join(build, "rocket"), build, env)
        for key in keys:
            x.keys(key)
        time.sleep(1.0)
        used, since, start_ns = cpu_seconds(process.pid), time.monotonic(), time.monotonic_ns()
        time.sleep(3.0)
        share = 100 * (cpu_seconds(process.pid) - used) / (time.monotonic() - since)
        end_ns = time.monotonic_ns()
        x.keys("Escape")
        wait_exit(process)
        times = [int(line) for line in open(presents)]
        rate = sum(start_ns <= t < end_ns for t in times) / ((end_ns - start_ns) / 1e9)
    return share, rate


with XSession() as x:
    for run in range(runs):
        for config in configs:
            _, driver, preload = config
            env = {"SDL_RENDER_DRIVER": driver}
            if preload:
                env["LD_PRELOAD"] = preload
            share, rate = at_rest(x, env)
            usage[config].append(share)
            paces[config].append(rate)
print()
print("| CPU at rest under Xvfb, share of one core | composed on the canvas | "
      "each image scaled into the window | canvas / straight |")
print("|---|---|---|---|")
for name, driver, _ in configs[0:4:2]:
    on_canvas = statistics.median(usage[(name, driver, None)])
    scaled = statistics.median(usage[(name, driver, no_target)])
    print(f"| {name} renderer | {on_canvas:.1f}% | {scaled:.1f}% | {on_canvas / scaled:.2f} |")
# The path a machine without an accelerated renderer takes, beside the accelerated one.
gl, soft = (statistics.median(usage[c]) for c in (configs[0], configs[2]))
print()
print("| The game on the canvas under Xvfb | CPU, share of one core | frames per second |")
print("|---|---|---|")
for name, config in (("Mesa GL (accelerated)", configs[0]), ("software", configs[2])):
    print(f"| {name} | {statistics.median(usage[config]):.1f}% | "
          f"{statistics.median(paces[config]):.1f} |")
print(f"| software / accelerated | {soft / gl:.2f} | |")
without, with_pad = (statistics.median(usage[c]) for c in (configs[0], configs[4]))
print()
print("| CPU at rest under Xvfb, Mesa GL, share of one core | median |")
print("|---|---|")
print(f"| no gamepad | {without:.1f}% |")
print(f"| a gamepad plugged in | {with_pad:.1f}% |")
print(f"| with / without | {with_pad / without:.2f} |")

# Window and fullscreen on a 1920x1080 screen, where fullscreen scales the canvas by 6.
modes = {"window (1280x720)": (), "fullscreen (1920x1080, F11)": ("F11",)}
rates = {mode: ([], []) for mode in modes}
with XSession("1920x1080", window_manager=True) as x:
    for run in range(runs):
        for mode, keys in modes.items():
            share, rate = at_rest(x, {"SDL_RENDER_DRIVER": "opengl"}, keys)
            rates[mode][0].append(rate)
            rates[mode][1].append(share)
print()
print("| Mesa GL under Xvfb, 1920x1080 screen | frames per second | CPU, share of one core |")
print("|---|---|---|")
for mode, (fps, shares) in rates.items():
    print(f"| {mode} | {statistics.median(fps):.1f} | {statistics.median(shares):.1f}% |")
