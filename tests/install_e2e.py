#!/usr/bin/env python3
"""The game as people install and start it, under Xvfb: the build's own program started from
the repository root, a copy installed under a temporary prefix started from an unrelated folder,
and the .deb package built and unpacked (never installed) with its contents and dependencies."""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tools"))
from xsession import XSession, output_of, settle, wait_exit

build, source = sys.argv[1:3]
failures = []
GLASS = (22, 34, 72)


def check(condition, message):
    print(("ok   " if condition else "FAIL ") + message)
    if not condition:
        failures.append(message)


def plays(x, game, cwd, name):
    """Starts the game from `cwd`, sees the rocket at the centre, quits with Escape."""
    process, window = x.launch(game, cwd)
    settle(6)
    shot = x.screenshot(window, os.path.join(build, f"install-{name}.png"))
    x.keys("Escape")
    status = wait_exit(process)
    loaded = [l for l in output_of(process).splitlines() if l.startswith("loading assets/")]
    check(status == 0 and len(loaded) == 49, f"{name}: exit {status}, {len(loaded)} images")
    check(shot.getpixel((640 + 1, 360 + 1)) == GLASS, f"{name}: the porthole at the centre")


def run(*command, cwd=None):
    return subprocess.run(command, cwd=cwd, capture_output=True, text=True, check=True).stdout


with XSession() as x, tempfile.TemporaryDirectory() as scratch:
    plays(x, os.path.join(build, "rocket"), source, "from the repository root")

    prefix = os.path.join(scratch, "prefix")
    run("cmake", "--install", build, "--prefix", prefix)
    elsewhere = os.path.join(scratch, "elsewhere")
    os.mkdir(elsewhere)
    plays(x, os.path.join(prefix, "bin", "rocket"), elsewhere, "installed")

    run("cpack", "-G", "DEB", "-B", os.path.join(scratch, "package"), cwd=build)
    debs = [f for f in os.listdir(os.path.join(scratch, "package")) if f.endswith(".deb")]
    check(len(debs) == 1, f"one package: {debs}")
    deb = os.path.join(scratch, "package", debs[0])
    unpacked = os.path.join(scratch, "unpacked")
    run("dpkg-deb", "-x", deb, unpacked)
    depends = run("dpkg-deb", "-f", deb, "Depends")
    check("libsdl2-2.0-0" in depends, f"depends on SDL2's runtime: {depends.strip()}")
    usr = os.path.join(unpacked, "usr")
    check(os.access(os.path.join(usr, "bin", "rocket"), os.X_OK), "usr/bin/rocket")
    images = os.listdir(os.path.join(usr, "share", "rocket", "assets"))
    check(len(images) == 49, f"usr/share/rocket/assets holds {len(images)} images")
    entry = open(os.path.join(usr, "share", "applications", "rocket.desktop")).read()
    check("Exec=rocket\n" in entry and "Categories=Game;" in entry, "the desktop entry")
    icon = os.path.join(usr, "share", "icons", "hicolor", "128x128", "apps", "rocket.png")
    check(open(icon, "rb").read(8) == b"\x89PNG\r\n\x1a\n", "the icon is a PNG")
    plays(x, os.path.join(usr, "bin", "rocket"), elsewhere, "unpacked package")

if failures:
    print(f"{len(failures)} failure(s)")
    sys.exit(1)
