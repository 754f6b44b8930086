#!/usr/bin/env python3
"""The arm64 package as a Raspberry Pi or an ARM laptop would take it, checked and played here:
unpacked (never installed), the same files as the amd64 package and lintian-clean, hardened
(Debian's checks, and return addresses signed), and its program run under qemu-user on Xvfb from
an empty folder, so that it finds its installed images: the start-up lines, the window, the
whole frame at rest as the amd64 game shows it but for the ball, a turn on Right, the flame on
Up, Escape with status 0. The screenshots stay in the arm64 build tree.
tests/arm64_e2e.py DEB NATIVE_BUILD"""
import os
import subprocess
import sys
import tempfile

from e2e import check, finish, hardening_check, run
from xsession import (XSession, besides_the_ball, canvas, canvas_of, centre, output_of, play,
                      wait_exit)

deb, native = (os.path.abspath(a) for a in sys.argv[1:3])
out = os.path.dirname(deb)


def contents(package):
    return sorted(line.split()[-1] for line in run("dpkg-deb", "-c", package).splitlines())


def at_rest(x, process, window, name):
    """A screenshot once the game has drawn a few frames (which take a while under the
    emulator)."""
    play(process, 4)
    return x.screenshot(window, os.path.join(out, f"arm64-{name}.png"))


with XSession() as x, tempfile.TemporaryDirectory() as scratch:
    # The package: arm64, the amd64 package's files, SDL2's runtime for arm64, lintian-clean.
    unpacked = os.path.join(scratch, "unpacked")
    run("dpkg-deb", "-x", deb, unpacked)
    check(run("dpkg-deb", "-f", deb, "Architecture").strip() == "arm64", "Architecture: arm64")
    depends = run("dpkg-deb", "-f", deb, "Depends").strip()
    check("libsdl2-2.0-0" in depends, f"depends on SDL2's runtime: {depends}")
    run("cpack", "-G", "DEB", "-B", os.path.join(scratch, "amd64"), cwd=native)
    amd64 = [f for f in os.listdir(os.path.join(scratch, "amd64")) if f.endswith(".deb")]
    check(contents(deb) == contents(os.path.join(scratch, "amd64", amd64[0])),
          "the same files as the amd64 package")
    lint = subprocess.run(["lintian", "--fail-on", "error,warning", "--tag-display-limit", "0",
                           deb], capture_output=True, text=True)
    said = (lint.stdout + lint.stderr.replace("running with root privileges is not recommended!",
                                              "")).strip()
    check(lint.returncode == 0 and not said, f"lintian: {said or 'silent'}")

    # Hardened: Debian's checks (its control-flow check knows x86's only), and every function
    # that saves its return address signs it.
    game = os.path.join(unpacked, "usr", "games", "rocket")
    passed, report = hardening_check(game, arm=True)
    check(passed, "hardening-check --nocfprotection:" + report)
    code = run("aarch64-linux-gnu-objdump", "-d", game)
    signs, checks = code.count("\tpaciasp"), code.count("\tautiasp")
    check(signs > 50 and checks > 50, f"pointer authentication: {signs} paciasp, {checks} autiasp")

    # Played under the emulator from an empty folder, beside the amd64 game.
    empty = os.path.join(scratch, "empty")
    os.mkdir(empty)
    native_game, window = x.launch(os.path.join(native, "rocket"), native)
    reference = at_rest(x, native_game, window, "amd64-rest")
    x.keys("Escape")
    wait_exit(native_game)
    process, window = x.launch("qemu-aarch64", empty, args=["-L", "/", game])
    rest = at_rest(x, process, window, "rest")
    lines = output_of(process).splitlines()
    check(len(lines) == 51 and lines == output_of(native_game).splitlines(),
          f"the amd64 game's 51 start-up lines ({len(lines)}, the last {lines[-1:]})")
    geometry = x.run("xdotool", "getwindowgeometry", window).stdout
    check("1280x720" in geometry, f"the window: {' '.join(geometry.split())}")
    beside = besides_the_ball(canvas_of(rest)[0], canvas_of(reference)[0])
    check(not beside, f"the frame at rest as the amd64 game shows it but for the ball "
          f"({len(beside)} pixels otherwise, from {beside[:3]})")
    x.hold(process, "Right", 3)
    turned = x.screenshot(window, os.path.join(out, "arm64-turned.png"))
    check(centre(turned) != centre(rest), "Right turns the rocket")
    x.hold(process, "Up", 4, release=False)
    shot = x.screenshot(window, os.path.join(out, "arm64-thrust.png"))
    flame = [canvas(shot, cx, cy) for cy in range(90, 120) for cx in range(140, 180)]
    x.keys("Up", action="keyup")
    check(any(r > 200 and b < 120 for r, g, b in flame), "Up lights the flame")
    x.keys("Escape")
    status = wait_exit(process, timeout=20)
    check(status == 0, f"Escape ends it with status {status}")

finish()
