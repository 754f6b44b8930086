"""The real game in a real X window: Xvfb, xdotool and screenshots, for the end-to-end tests."""
import os
import re
import subprocess
import tempfile
import time
from collections import namedtuple

from PIL import Image, ImageChops


class XSession:
    """An Xvfb server on a free display, stopped when the session ends. With `window_manager`,
    openbox runs on it too, for what only a window manager does (fullscreen); ready once it
    maps windows."""

    def __init__(self, screen="1280x720", window_manager=False):
        read, write = os.pipe()
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", screen + "x24", "-nolisten", "tcp"],
            pass_fds=[write], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as pipe:
            self.display = ":" + pipe.readline().strip()
        self.env = dict(os.environ, DISPLAY=self.display)
        for name in ("SDL_VIDEODRIVER", "SDL_RENDER_DRIVER", "SDL_AUDIODRIVER"):
            self.env.pop(name, None)
        self.env["SDL_VIDEODRIVER"] = "x11"
        # The sound goes nowhere unless a test asks for a driver of its own (disk, to listen).
        self.env["SDL_AUDIODRIVER"] = "dummy"
        self.manager = None
        if window_manager:
            self._start_window_manager()
            self._wait_for_window_manager()

    def _start_window_manager(self):
        self.manager = subprocess.Popen(["openbox", "--sm-disable"], env=self.env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def _wait_for_window_manager(self):
        """Openbox announces itself on the root window before it is done starting, and a window
        mapped in between is never mapped (half the time on a fresh machine), so the game's
        would never show. It is ready once it has mapped a window of the session's own: one is
        put up after the announcement, and another if the first is lost."""
        deadline = time.monotonic() + 60
        while "window id" not in self.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK").stdout:
            if time.monotonic() > deadline:
                raise RuntimeError("openbox never announced itself on %s (its status: %s)"
                                   % (self.display, self.manager.poll()))
            if self.manager.poll() is not None:
                # It ended before it took the screen: started again, as a session would.
                self._start_window_manager()
            time.sleep(0.05)
        while time.monotonic() < deadline:
            probe = subprocess.Popen(["xev", "-name", "rocket-session-probe"], env=self.env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                for _ in range(40):
                    if self.run("xdotool", "search", "--onlyvisible", "--name",
                                "^rocket-session-probe$").stdout.strip():
                        return
                    time.sleep(0.05)
            finally:
                probe.kill()
                probe.wait()
        raise RuntimeError("openbox never mapped a window on " + self.display)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        for process in (self.manager, self.server):
            if process is not None:
                process.kill()
                process.wait()

    def run(self, *args, timeout=10):
        return subprocess.run(args, env=self.env, capture_output=True, text=True, timeout=timeout)

    def launch(self, game, cwd, extra_env=None, args=()):
        """Starts the game, with its frame trace on, and waits for its window to be mapped;
        returns (process, window). process.started_ns is the monotonic clock just before the
        launch."""
        process = start(game, cwd, dict(self.env, **(extra_env or {})), args)
        # Given up only on a game that never opens its window: a starved machine takes long.
        found = self.run("timeout", "60", "xdotool", "search", "--sync", "--onlyvisible",
                         "--name", "^title$", timeout=65)
        if found.returncode != 0 or not found.stdout.split():
            process.kill()
            raise RuntimeError("the game window never appeared: " + output_of(process))
        window = found.stdout.split()[0]
        self.run("xdotool", "windowfocus", "--sync", window)
        self.run("xdotool", "mousemove", "--window", window, "640", "360")
        return process, window

    def wine(self, prefix, debug="-all", keep_server=30):
        """The environment for Windows programs under Wine on this display, with its prefix made
        ready and its wineserver kept for `keep_server` seconds. Windows's SDL has video drivers
        of its own, and Wine must not offer to install .NET or a browser."""
        env = {k: v for k, v in self.env.items() if not k.startswith("SDL_")}
        env.update(WINEPREFIX=prefix, WINEDEBUG=debug, WINEDLLOVERRIDES="mscoree,mshtml=")
        subprocess.run(["wine", "wineboot", "--init"], env=env, capture_output=True, timeout=300)
        subprocess.run(["wineserver", f"--persistent={keep_server}"], env=env)
        return env

    def keys(self, *names, action="key"):
        """xdotool key, keydown or keyup on the focused window."""
        self.run("xdotool", action, *names)

    def hold(self, process, key, frames, release=True):
        """Holds an arrow key until the game has read it held at the end of `frames` frames,
        then (with `release`) lets go and waits until the game has read that; returns the
        trace."""
        flag = ARROWS.index(key)
        start = len(trace_of(process))

        def held(trace):
            return sum(line.keys[flag] == "1" for line in trace[start:]) >= frames

        # A key the game never reads (a wrong key) is given up on 50 frames late.
        self.keys(key, action="keydown")
        trace = play(process, frames + 50, until=held)
        if release:
            self.keys(key, action="keyup")
            trace = play(process, 50, until=lambda t: held(t) and t[-1].keys[flag] == "0")
            trace = play(process, 2)  # what the key did is shown up to two frames later
        return trace

    def screenshot(self, window, path):
        """The window's pixels as a PIL image, also kept at `path`."""
        self.run("import", "-window", window, path)
        return Image.open(path).convert("RGB")


def start(game, cwd, env, args=()):
    """Starts the game in `env` with its frame trace on, its output kept for output_of and
    trace_of. process.started_ns is the monotonic clock just before the launch."""
    out = tempfile.TemporaryFile()
    started_ns = time.monotonic_ns()
    process = subprocess.Popen([game, *args], cwd=cwd, env=dict(env, ROCKET_FRAME_TRACE="1"),
                               stdout=out, stderr=subprocess.STDOUT)
    process.started_ns = started_ns
    process.output_file = out
    return process


def canvas(shot, x, y):
    """A canvas pixel of a 1280x720 screenshot (4x4 window pixels each)."""
    return shot.getpixel((x * 4 + 1, y * 4 + 1))


def canvas_of(shot, scale=4, left=0, top=0):
    """The 320x180 canvas shown at `scale` in a screenshot, its top left corner at (left, top),
    and the number of window pixels that differ from their canvas pixel: 0 when every canvas
    pixel is a clean square of one colour, more where the picture was smoothed."""
    shown = shot.crop((left, top, left + 320 * scale, top + 180 * scale))
    small = shown.resize((320, 180), Image.NEAREST)  # each square's middle pixel
    squares = small.resize(shown.size, Image.NEAREST)
    smeared = sum(ImageChops.difference(shown, squares).convert("L").histogram()[1:])
    return small, smeared


def besides_the_ball(a, b):
    """The canvas points where two 320x180 canvases of frames at rest differ, but for what two
    boxes the ball's size (16 canvas pixels), one for where it is in each frame, can hold."""
    rest = [(x, y) for y in range(180) for x in range(320)
            if a.getpixel((x, y)) != b.getpixel((x, y))]
    for _ in range(2):
        if not rest:
            break
        x0, y0 = rest[0]
        box = [(x, y) for x, y in rest if x0 - 16 < x < x0 + 16 and y0 - 16 < y < y0 + 16]
        left, top = min(x for x, _ in box), min(y for _, y in box)
        rest = [(x, y) for x, y in rest if not (left <= x < left + 16 and top <= y < top + 16)]
    return rest


def centre(shot):
    """The canvas pixels of the rocket's square at the centre of a screenshot."""
    return [canvas(shot, x, y) for y in range(70, 110) for x in range(140, 180)]


# The game's frame trace (ROCKET_FRAME_TRACE): a line on standard error at the end of each
# frame, once the input is read. `keys` are the flags the next frame acts on (up, down, left,
# right, spare); `queued`, the sample frames handed to the sound device so far. The Windows
# game's C runtime ends its lines with "\r\n".
TraceLine = namedtuple("TraceLine", "frame keys mute queued")
ARROWS = ("Up", "Down", "Left", "Right")
TRACE = re.compile(r"^frame (\d+) keys ([01]{5}) mute ([01]) queued (\d+)$")


def _lines(process):
    """Read without moving the file's offset, which the game shares and writes at: a seek of
    the reader's between two of the game's lines would have the next written over the first."""
    fd = process.output_file.fileno()
    text = os.pread(fd, os.fstat(fd).st_size, 0).decode(errors="replace")
    return text.splitlines(keepends=True)


def output_of(process):
    """What the game printed, standard output and error, without its frame trace."""
    return "".join(line for line in _lines(process) if not TRACE.match(line.rstrip("\r\n")))


def trace_of(process):
    """The game's frame trace so far, one TraceLine a frame."""
    found = (TRACE.match(line.rstrip("\r\n")) for line in _lines(process) if line.endswith("\n"))
    return [TraceLine(int(m[1]), m[2], m[3] == "1", int(m[4])) for m in found if m]


def play(process, frames=4, until=None, limit=60):
    """Waits while the game plays `frames` more frames, by its trace, or, with `until`, until
    `until(trace)` holds or `frames` have passed; returns the trace. A game that stops ends the
    wait, and so do `limit` seconds, which no frame count comes near: what it did is then judged
    by the caller. A game still running that has played no frame in all that time has hung, or
    its trace is not being read: no test can judge it, so that is an error here."""
    start = len(trace_of(process))
    deadline = time.monotonic() + limit
    while process.poll() is None and time.monotonic() < deadline:
        trace = trace_of(process)
        if len(trace) >= start + frames or (until is not None and until(trace)):
            return trace
        time.sleep(0.01)
    trace = trace_of(process)
    if process.poll() is None and len(trace) == start:
        raise RuntimeError(f"the game played no frame in {limit} s that its trace shows")
    return trace


def knocks(frames):
    """The frames in which the ball turns, and knocks, among the game's first `frames`: it
    is put at the centre in the first frame and moves from the second, 2 pixels a frame
    across and 1 down until its first vertical turn, turning once past 159 and 89 pixels out.
    Its knocks come by frames alone."""
    x, y, vx, vy, found = 0, 0, 2, 1, []
    for frame in range(2, frames + 1):
        turned = abs(x) > 159 or abs(y) > 89
        vx = -2 if x > 159 else 2 if x < -159 else vx
        vy = -2 if y > 89 else 2 if y < -89 else vy
        x, y = x + vx, y + vy
        if turned:
            found.append(frame)
    return found


def between_knocks(process, frames):
    """Waits until the ball's knocks are at least four frames behind and `frames` and ten more
    ahead, so that a sound held for `frames` from now is heard alone; returns the trace."""
    def clear(trace):
        now = trace[-1].frame if trace else 0
        return not any(now - 4 <= k <= now + frames + 10 for k in knocks(now + frames + 10))
    return play(process, 1 << 30, until=clear)


def flame_queued(trace):
    """Sample frames the game queued in the frames that showed the flame. Up read at the end of
    one frame starts the engine in the next, which shows the flame from the frame after; each
    frame's queue is its line's growth. (No turn: a turn keeps the engine on.)"""
    return sum(shown.queued - before.queued
               for read, before, shown in zip(trace, trace[1:], trace[2:]) if read.keys[0] == "1")


def flame_frames(trace):
    return sum(1 for line in trace[:-2] if line.keys[0] == "1")


def heard_rumble(samples):
    """Sample frames of the rumble heard in 16-bit stereo `samples`: from its first sample to
    its last (the rumble comes from the centre, the same on both sides, which a knock of the
    ball at a side never is), every sample frame not silent. A knock under the rumble is
    counted as the rumble it hides; a moment the device ran dry because a frame was late is not
    counted, since it is not the game's sound."""
    frames = len(samples) // 2
    rumble = [i for i in range(frames) if samples[2 * i] == samples[2 * i + 1] != 0]
    if not rumble:
        return 0
    return sum(1 for i in range(rumble[0], rumble[-1] + 1) if samples[2 * i] or samples[2 * i + 1])


def wait_exit(process, timeout=10):
    """The exit status, or None if the game had to be killed."""
    try:
        return process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        process.kill()  # SDL turns SIGTERM into a quit request, so only SIGKILL stops a hang
        process.wait()
        return None


def cpu_seconds(pid):
    """CPU time of all of a process's threads (SDL's and Mesa's among them), to the nanosecond."""
    tasks = f"/proc/{pid}/task"
    return sum(int(open(f"{tasks}/{task}/schedstat").read().split()[0])
               for task in os.listdir(tasks)) / 1e9


def settle(frames=4):
    """Gives a game whose frame trace is not read (under Wine, for a screenshot) a few of its
    ~21 frames a second."""
    time.sleep(frames * 0.045)
