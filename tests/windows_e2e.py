#!/usr/bin/env python3
"""The Windows build as a player gets it, run under Wine on Xvfb: windows_e2e.py ZIP NATIVE_BUILD
CLOSE_WINDOW WORK. The zip's layout and the exe's import table (only DLLs every Windows has, the
GUI subsystem); then rocket.exe, unzipped into a temporary folder and started from another
folder: its 51 lines read from the pipe while the window is still open, the 1280x720 window, the
rocket and the eyes at its centre pixel for pixel as the native game shows them, a turn and a
thrust, and Escape ending it with 0. On a screen scaled to 150% (144 DPI), the window keeps its
desktop size, 1920x1080 pixels, and shows the native game's frame at 6x, every canvas pixel a
clean square. With one image removed, the error line shows in a message box, and closing the box
ends the game with 1. Wine's prefixes and the screenshots stay in WORK."""
import os
import select
import subprocess
import sys
import tempfile
import time
import zipfile

from e2e import check, finish
from xsession import (XSession, besides_the_ball, canvas, canvas_of, centre, play,
                      trace_of, wait_exit)

archive, native, close_window, work = sys.argv[1:5]
GLASS, WHITE = (22, 34, 72), (250, 250, 250)
# Every Windows has these; anything else would have to travel in the zip.
SYSTEM_DLLS = {"advapi32.dll", "gdi32.dll", "imm32.dll", "kernel32.dll", "msvcrt.dll",
               "ole32.dll", "oleaut32.dll", "setupapi.dll", "shell32.dll", "user32.dll",
               "version.dll", "winmm.dll", "cfgmgr32.dll"}


def read_lines(pipe, count, timeout):
    """Up to `count` lines from the game's pipe, waiting at most `timeout` seconds for them."""
    lines, pending, deadline = [], b"", time.monotonic() + timeout
    while len(lines) < count and time.monotonic() < deadline:
        ready, _, _ = select.select([pipe], [], [], 0.1)
        if ready:
            chunk = os.read(pipe.fileno(), 65536)
            if not chunk:
                break
            pending += chunk
            *done, pending = pending.split(b"\n")
            lines += [line.decode().rstrip("\r") for line in done]
    return lines


def find_window(x, name, timeout=60):
    """Given up on only when it never comes: a cold, busy machine starts Wine slowly."""
    found = x.run("timeout", str(timeout), "xdotool", "search", "--sync", "--onlyvisible",
                  "--name", f"^{name}$", timeout=timeout + 5)
    return found.stdout.split()[0] if found.returncode == 0 and found.stdout.split() else None


top = os.path.basename(archive)[:-len(".zip")]
with zipfile.ZipFile(archive) as z:
    names = z.namelist()
images = [n for n in names if n.startswith(f"{top}/assets/") and n.endswith(".bmp")]
check(len(images) == 49, f"the zip holds 49 images under {top}/assets ({len(images)})")
for name in ("rocket.exe", "README.txt", "LICENSE.txt"):
    check(f"{top}/{name}" in names, f"the zip holds {top}/{name}")

with tempfile.TemporaryDirectory() as scratch:
    with zipfile.ZipFile(archive) as z:
        z.extractall(scratch)
    folder = os.path.join(scratch, top)
    exe = os.path.join(folder, "rocket.exe")
    headers = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", exe], capture_output=True,
                             text=True, check=True).stdout
    dlls = {l.split(":", 1)[1].strip().lower() for l in headers.splitlines()
            if l.strip().startswith("DLL Name:")}
    check(dlls and dlls <= SYSTEM_DLLS, f"imports only system DLLs: {sorted(dlls)}")
    check("(Windows GUI)" in headers, "built for the GUI subsystem: no console window")
    # Loaded anywhere in the 64-bit address space, its data never executed, and no link time
    # stamped in (so that every build of a commit is the same exe).
    flags = int(next(l.split()[1] for l in headers.splitlines()
                     if l.startswith("DllCharacteristics")), 16)
    with open(exe, "rb") as pe:
        image = pe.read(4096)
    coff = int.from_bytes(image[0x3C:0x40], "little") + 4  # past "PE\0\0"
    stamp = int.from_bytes(image[coff + 4:coff + 8], "little")
    check(flags & 0x160 == 0x160, f"DLL characteristics {flags:#06x}: high-entropy ASLR (0x20), "
          "ASLR (0x40), NX (0x100)")
    check(stamp == 0, f"no link time in the PE header: {stamp}")
    # The stack protector's and the checked calls' runtime, linked in: its reports are there.
    with open(exe, "rb") as pe:
        whole = pe.read()
    check(b"*** stack smashing detected ***" in whole and b"*** buffer overflow detected ***" in whole,
          "the stack protector and the checked calls are linked in")
    # Wine 10, as Windows, fixes a program's awareness of display scale when it starts: only the
    # manifest's declaration keeps a scaled screen from stretching the picture.
    check(b"<dpiAwareness" in whole and b"PerMonitorV2" in whole,
          "the manifest declares the exe aware of each monitor's scale")

    elsewhere = os.path.join(scratch, "elsewhere")
    os.mkdir(elsewhere)
    # Room for a 1920x1080 window and Wine's frame around it.
    with XSession(screen="2048x1200") as x:
        # Its server is kept through the scaled prefix's part, so the failed start after it does
        # not wait for Wine to start again.
        env = x.wine(os.path.join(work, "wine-prefix"), keep_server=600)

        def start(wine_env=env):
            # Standard error holds the frame trace, which the waits count frames by.
            trace = tempfile.TemporaryFile()
            game = subprocess.Popen(["wine", exe], cwd=elsewhere,
                                    env=dict(wine_env, ROCKET_FRAME_TRACE="1"),
                                    stdout=subprocess.PIPE, stderr=trace)
            game.output_file = trace
            return game

        # The native game's picture at rest, to compare the Windows one with.
        reference, window = x.launch(os.path.join(native, "rocket"), native)
        play(reference, 30)  # the ball leaves the centre
        native_rest = x.screenshot(window, os.path.join(work, "native-rest.png"))
        expected = centre(native_rest)
        x.keys("Escape")
        wait_exit(reference)

        game = start()
        window = find_window(x, "title")
        check(window is not None, "the window titled \"title\" appears")
        # Read while the window is open and before any key: held-back lines would come at exit.
        lines = read_lines(game.stdout, 51, 10)
        loading = ["loading assets/" + os.path.basename(n) for n in sorted(images)]
        check(lines == ["validating collision detection...",
                        "collision detection is ~mostly~ valid"] + loading,
              f"the 51 lines, in order, while the window is open ({len(lines)}: {lines[-1:]})")
        if window:
            geometry = x.run("xdotool", "getwindowgeometry", window).stdout
            check("1280x720" in geometry, f"window geometry {geometry.split()[-1:]}")
            x.run("xdotool", "windowfocus", "--sync", window)
            x.run("xdotool", "mousemove", "--window", window, "640", "360")
            # The ball starts at the centre and leaves it in 30 of the game's frames.
            play(game, 30)
            rest = x.screenshot(window, os.path.join(work, "windows-rest.png"))
            check(canvas(rest, 160, 90) == GLASS and canvas(rest, 158, 89) == WHITE,
                  "the porthole glass and an eye at the centre")
            same = sum(a == b for a, b in zip(centre(rest), expected))
            check(same == len(expected), f"the centre as the native game shows it ({same} of "
                  f"{len(expected)} pixels alike)")
            before = len(trace_of(game))
            read = sum(t.keys[3] == "1" for t in x.hold(game, "Right", 3)[before:])
            turned = x.screenshot(window, os.path.join(work, "windows-turned.png"))
            check(read >= 3 and centre(turned) != centre(rest),
                  f"the right arrow turns the rocket (read held in {read} frames)")
            x.hold(game, "Up", 4, release=False)
            burning = x.screenshot(window, os.path.join(work, "windows-thrust.png"))
            x.keys("Up", action="keyup")
            check(centre(burning) != centre(turned), "the up arrow fires the thruster")
            x.keys("Escape")
        # Wine with no window manager takes a couple of seconds to let a window go.
        status = wait_exit(game, timeout=20)
        check(status == 0, f"Escape: exit status {status}")

        # A laptop's screen at 150%: Windows's system DPI, in a prefix of its own.
        scaled_env = x.wine(os.path.join(work, "wine-prefix-144dpi"))
        subprocess.run(["wine", "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels",
                        "/t", "REG_DWORD", "/d", "144", "/f"], env=scaled_env, capture_output=True)
        game = start(scaled_env)
        window = find_window(x, "title")
        check(window is not None, "at 144 DPI: the window appears")
        if window:
            geometry = x.run("xdotool", "getwindowgeometry", window).stdout
            check("1920x1080" in geometry, f"at 144 DPI: the window 1920x1080 pixels, its "
                  f"desktop size ({geometry.split()[-1:]})")
            play(game, 30)
            shot = x.screenshot(window, os.path.join(work, "windows-144dpi-rest.png"))
            shown, smeared = canvas_of(shot, 6)
            check(smeared == 0, f"at 144 DPI: every canvas pixel a clean 6x6 square ({smeared} "
                  "window pixels otherwise)")
            beside = besides_the_ball(shown, canvas_of(native_rest)[0])
            check(not beside, f"at 144 DPI: the frame at rest as the native game shows it but "
                  f"for the ball ({len(beside)} pixels otherwise, from {beside[:3]})")
            x.run("xdotool", "windowfocus", "--sync", window)
            x.keys("Escape")
        status = wait_exit(game, timeout=20)
        check(status == 0, f"at 144 DPI: Escape, exit status {status}")
        subprocess.run(["wineserver", "-k"], env=scaled_env)

        os.remove(os.path.join(folder, "assets", "rocket00.bmp"))
        game = start()
        box = find_window(x, "Rocket")
        lines = read_lines(game.stdout, 17, 10)
        error = "error : Unable to load ! "
        check(lines[-1:] and lines[-1].startswith(error) and "rocket00.bmp" in lines[-1],
              f"an image missing: the error line {lines[-1:]}")
        check(box is not None, "an image missing: a message box titled \"Rocket\" appears")
        if box:
            x.run("import", "-window", box, os.path.join(work, "windows-message-box.png"))
            x.run(close_window, box)
        status = wait_exit(game, timeout=20)
        check(status == 1, f"closing the message box ends the game with 1 (exit status {status})")
        subprocess.run(["wineserver", "-k"], env=env)

finish()
