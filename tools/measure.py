"""What the figure scripts measure the same way: a benchmark's medians, and the real game's
launch to its first presented frame under Xvfb."""
import json
import os
import subprocess
import tempfile
import time


def medians(build, binary, runs, *options):
    """The medians of `runs` repetitions of each benchmark of `binary`, by name. The results go to
    a file: the frame benchmark's start-up writes its loading lines to stdout."""
    with tempfile.NamedTemporaryFile(suffix=".json") as results:
        subprocess.run([binary, *options, f"--benchmark_out={results.name}", "--benchmark_out_format=json",
                        f"--benchmark_repetitions={runs}", "--benchmark_report_aggregates_only=true"],
                       cwd=build, capture_output=True, text=True, check=True,
                       env=dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_RENDER_DRIVER="software",
                                SDL_AUDIODRIVER="dummy"))
        rows = json.load(open(results.name))["benchmarks"]
    return {r["run_name"]: r for r in rows if r.get("aggregate_name") == "median"}


def first_frame(x, build, scratch, name):
    """Launches BUILD's game in the XSession `x` with the present probe, and returns the process
    and the milliseconds from its launch to its first presented frame."""
    mark = os.path.join(scratch, f"first-frame-{name}")
    process, _ = x.launch(os.path.join(build, "rocket"), build,
                          {"LD_PRELOAD": os.path.join(build, "bench", "libpresent_probe.so"),
                           "FIRST_FRAME_FILE": mark})
    deadline = time.monotonic() + 10
    while not os.path.exists(mark) and time.monotonic() < deadline:
        time.sleep(0.005)
    time.sleep(0.05)  # the probe has written the whole time
    with open(mark) as f:
        return process, (int(f.read()) - process.started_ns) / 1e6
