"""The real game in a real X window: Xvfb, xdotool and screenshots, for the end-to-end tests."""
import os
import subprocess
import tempfile
import time

from PIL import Image


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
            self.manager = subprocess.Popen(["openbox", "--sm-disable"], env=self.env,
                                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self._wait_for_window_manager()

    def _wait_for_window_manager(self):
        """Openbox announces itself on the root window before it is done starting, and a window
        mapped in between is never mapped (half the time on a fresh machine), so the game's
        would never show. It is ready once it has mapped a window of the session's own: one is
        put up after the announcement, and another if the first is lost."""
        deadline = time.monotonic() + 60
        while "window id" not in self.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK").stdout:
            if time.monotonic() > deadline:
                raise RuntimeError("openbox never announced itself on " + self.display)
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
        """Starts the game and waits for its window to be mapped; returns (process, window).
        process.started_ns is the monotonic clock just before the launch."""
        out = tempfile.TemporaryFile(mode="w+")
        env = dict(self.env, **(extra_env or {}))
        started_ns = time.monotonic_ns()
        process = subprocess.Popen([game, *args], cwd=cwd, env=env, stdout=out,
                                   stderr=subprocess.STDOUT)
        process.started_ns = started_ns
        process.output_file = out
        found = self.run("timeout", "10", "xdotool", "search", "--sync", "--onlyvisible",
                         "--name", "^title$", timeout=15)
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

    def screenshot(self, window, path):
        """The window's pixels as a PIL image, also kept at `path`."""
        self.run("import", "-window", window, path)
        return Image.open(path).convert("RGB")


def canvas(shot, x, y):
    """A canvas pixel of a 1280x720 screenshot (4x4 window pixels each)."""
    return shot.getpixel((x * 4 + 1, y * 4 + 1))


def centre(shot):
    """The canvas pixels of the rocket's square at the centre of a screenshot."""
    return [canvas(shot, x, y) for y in range(70, 110) for x in range(140, 180)]


def output_of(process):
    process.output_file.seek(0)
    return process.output_file.read()


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
    """Gives the game a few of its ~24 frames a second."""
    time.sleep(frames * 0.045)
