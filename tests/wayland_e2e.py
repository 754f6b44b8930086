#!/usr/bin/env python3
"""The game on a Wayland desktop scaled to 200%: weston, its output 1600x900 in the desktop's
units and so 3200x1800 pixels, in a window of Xvfb's. The window keeps its size in the desktop's units and
its picture is 2560x1440 pixels: the frame at rest as the game shows it in X at 100%, at 8x,
every canvas pixel a clean square, but for the ball. SIGTERM, a session's end, quits it with 0.
tests/wayland_e2e.py GAME BUILD"""
import glob
import os
import subprocess
import sys
import tempfile
import time

from PIL import Image, ImageChops

from e2e import check, finish
from xsession import (XSession, besides_the_ball, canvas_of, output_of, play, start,
                      wait_exit)

game, build = (os.path.abspath(a) for a in sys.argv[1:3])
# The desktop's own colour, which the game never draws, so that its window stands out.
DESKTOP = (0x20, 0x60, 0x30)
SOCKET = "rocket-e2e"


def wait_for(condition, what, limit=60):
    deadline = time.monotonic() + limit
    while not condition():
        if time.monotonic() > deadline:
            raise RuntimeError(what)
        time.sleep(0.05)


def screenshot(env, folder):
    """The whole output, as weston's own screenshot client takes it (it needs --debug)."""
    for old in glob.glob(os.path.join(folder, "*.png")):
        os.remove(old)
    subprocess.run(["weston-screenshooter"], cwd=folder, env=env, capture_output=True, timeout=60)
    shots = glob.glob(os.path.join(folder, "*.png"))
    if not shots:
        raise RuntimeError("weston-screenshooter saved no picture")
    return Image.open(shots[0]).convert("RGB")


# X serves twice: the frame at rest as the game shows it there, unscaled, and weston's output,
# a window of X's at X's origin. weston's X11 backend gives its desktop a seat, a keyboard and a
# pointer, as every desktop has (SDL 2.26 cannot start on one without: headless weston's).
def picture_box(shot):
    """The box around what is not the desktop's colour, None if there is nothing."""
    return ImageChops.difference(shot, Image.new("RGB", shot.size, DESKTOP)).getbbox()


with tempfile.TemporaryDirectory() as runtime, tempfile.TemporaryDirectory() as shots, \
        XSession(screen="3200x1800") as x:
    reference, window = x.launch(game, build)
    play(reference, 30)  # the ball leaves the centre
    expected, _ = canvas_of(x.screenshot(window, os.path.join(build, "x11-rest.png")))
    x.keys("Escape")
    wait_exit(reference)

    os.chmod(runtime, 0o700)
    config = os.path.join(runtime, "weston.ini")
    with open(config, "w") as ini:
        ini.write("[core]\nidle-time=0\n[shell]\nbackground-color=0xff%02x%02x%02x\n"
                  "panel-position=none\nlocking=false\n" % DESKTOP)
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY") and not k.startswith("SDL_")}
    env.update(XDG_RUNTIME_DIR=runtime, WAYLAND_DISPLAY=SOCKET, SDL_AUDIODRIVER="dummy",
               # weston draws no window frames, and the GTK frame libdecor would draw around
               # the picture instead is the toolkit's, placed as GTK likes.
               SDL_VIDEO_WAYLAND_ALLOW_LIBDECOR="0")
    log = open(os.path.join(runtime, "weston.log"), "w+")
    weston = subprocess.Popen(["weston", "--backend=x11", "--renderer=pixman",
                               "--width=1600", "--height=900", "--scale=2", "--socket=" + SOCKET,
                               "--config=" + config, "--debug"],
                              env=dict(env, DISPLAY=x.display), stdout=log,
                              stderr=subprocess.STDOUT)
    try:
        wait_for(lambda: os.path.exists(os.path.join(runtime, SOCKET)) or weston.poll() is not None,
                 "weston never opened its socket")
        check(weston.poll() is None, "weston runs: in X, pixman, scale 2")

        process = start(game, build, env)
        play(process, 30)
        # The window is whatever is not the desktop's colour. weston draws its pointer in the
        # middle of the output until X's moves, which no window of this size can leave bare; then
        # it is moved beside the window, and the window taken again once the pointer shows there.
        box = picture_box(screenshot(env, shots))
        if box:
            aside = box[0] // 2 if box[0] > 3200 - box[2] else (box[2] + 3200) // 2
            x.run("xdotool", "mousemove", str(aside), "900")
            wait_for(lambda: picture_box(screenshot(env, shots).crop((aside, 900, aside + 8, 908))),
                     "weston never showed its pointer beside the window")
        desktop = screenshot(env, shots)
        desktop.save(os.path.join(build, "wayland-200-rest.png"))
        check(desktop.size == (3200, 1800), f"the desktop: {desktop.size[0]}x{desktop.size[1]} "
              "pixels")
        size = (box[2] - box[0], box[3] - box[1]) if box else (0, 0)
        check(size == (2560, 1440), f"the game's picture: {size[0]}x{size[1]} pixels "
              f"({output_of(process).splitlines()[-1:]})")
        if size == (2560, 1440):
            shown, smeared = canvas_of(desktop, 8, box[0], box[1])
            shown.save(os.path.join(build, "wayland-200-canvas.png"))
            check(smeared == 0, f"every canvas pixel a clean 8x8 square ({smeared} pixels "
                  "otherwise)")
            beside = besides_the_ball(shown, expected)
            check(not beside, f"the frame at rest as the game shows it at 100% but for the ball "
                  f"({len(beside)} pixels otherwise, from {beside[:3]})")
        process.terminate()
        status = wait_exit(process)
        check(status == 0, f"SIGTERM ends it with status {status}")
    finally:
        weston.terminate()
        weston.wait()
        if weston.returncode not in (0, -15):
            log.seek(0)
            print(log.read()[-2000:])

finish()
