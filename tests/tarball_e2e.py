#!/usr/bin/env python3
"""The Linux tarball as a player of another distribution takes it. Checked here: one folder of
the program, its images, the icon, a README.txt and the licence, owned by root; the program
needing only the C library's family, nothing newer than glibc 2.35 (built on Debian 12, as
releases are), hardened. Then played in a bare Debian 12 and a bare Debian 13 (the X client
libraries and a GL driver; no SDL2 but Debian 13's sdl2-compat, which only the run that names
it loads), unpacked in the player's home folder and started from there by its path, on Xvfb
beside the native game: the start-up lines, the 1280x720 window, the whole frame at rest but for
the ball, a turn on Right, Escape with status 0. In Debian 13 once more with the system's SDL2,
sdl2-compat, put in place by SDL_DYNAMIC_API, and with an image missing, when it says why in a
message box. (Built on Debian 13 the program needs glibc 2.38, and Debian 12 is left out.)
Last, on weston scaled to 200% in the Debian 13 system that ROOT names (the Wayland test, run
there on the tarball's program). The screenshots stay beside the tarball.
tests/tarball_e2e.py TARBALL NATIVE_BUILD ROOT..."""
import os
import re
import shlex
import subprocess
import sys
import tempfile
import time

from e2e import check, finish, hardening_check, run
from xsession import (XSession, besides_the_ball, canvas_of, centre, output_of, play, start,
                      wait_exit)

tarball, native = (os.path.abspath(a) for a in sys.argv[1:3])
layer = sys.argv[3:]
out = os.path.dirname(tarball)
checkout = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
debian_root = os.path.join(checkout, "scripts", "debian-root")
top = os.path.basename(tarball)[:-len(".tar.gz")]
inside = "/rocket/" + os.path.relpath(tarball, checkout)  # the checkout as the systems see it
if inside.startswith("/rocket/../"):
    sys.exit(f"the tarball must be under this checkout, which the systems see: {tarball}")
# What every desktop has: the X client libraries SDL loads and a GL driver.
DESKTOP = ["+libx11-6", "+libxext6", "+libxcursor1", "+libxi6", "+libxrandr2", "+libxss1",
           "+libxfixes3", "+libgl1", "+libgl1-mesa-dri"]
SYSTEMS = {"Debian 12": ["bookworm", *DESKTOP],
           "Debian 13": ["trixie", *DESKTOP, "+libsdl2-compat"]}
LIBC = {"libc.so.6", "libm.so.6", "libdl.so.2", "libpthread.so.0", "librt.so.1",
        "ld-linux-x86-64.so.2"}
COMPAT = "/usr/lib/x86_64-linux-gnu/sdl2-compat/libSDL2-2.0.so.0"  # libsdl2-compat's


def version(text):
    return tuple(int(n) for n in text.split("."))


def dotted(numbers):
    return ".".join(map(str, numbers))


def in_system(system, command, timeout=900):
    """Runs a shell command as root in the system (made the first time, which takes minutes)."""
    return subprocess.run([debian_root, *system, "--", command], capture_output=True, text=True,
                          timeout=timeout)


def shot(x, window, name):
    """A screenshot, kept as build-tarball/tarball-debian-13-sdl2-compat-rest.png and the like."""
    return x.screenshot(window, os.path.join(out, "tarball-" + re.sub(r"\W+", "-", name.lower())
                                             + ".png"))


def at_rest(x, process, window, name):
    play(process, 4)
    return shot(x, window, name)


def mapped(window, x):
    """The files the game behind a window has mapped, by the process id it gives its window."""
    pid = x.run("xdotool", "getwindowpid", window).stdout.strip()
    try:
        with open(f"/proc/{pid}/maps") as maps:
            return maps.read()
    except (OSError, ValueError):
        return ""


def message_box(x, system):
    """The game started with an image missing: the window of its message box (found in the
    window tree, since xdotool cannot read a UTF-8 name), kept as a screenshot and answered with
    Return, and what the game said and its status."""
    process = start(debian_root, checkout, x.env, args=[
        *system, "--", f"cd && rm -rf broken && cp -a {top} broken && rm broken/assets/body.bmp && "
        f"exec env DISPLAY={x.display} broken/rocket"])
    box = None
    deadline = time.monotonic() + 60
    while box is None and process.poll() is None and time.monotonic() < deadline:
        tree = x.run("xwininfo", "-root", "-tree").stdout
        box = re.search(r"^\s*(0x[0-9a-f]+) \"Rocket\": ", tree, re.M)
        time.sleep(0.05)
    if box:
        window = str(int(box[1], 16))
        shot(x, window, "message box")
        x.run("xdotool", "windowfocus", "--sync", window)
        x.keys("Return")
    return box is not None, output_of(process).splitlines()[-1:], wait_exit(process, timeout=20)


def played(x, system, name, reference, environment=""):
    """The game unpacked in the system's home folder and started from there by its path, in a
    desktop session's environment."""
    process, window = x.launch(debian_root, checkout, args=[
        *system, "--", f"cd && mkdir -p -m 700 /tmp/session && exec env DISPLAY={x.display} "
        f"XDG_RUNTIME_DIR=/tmp/session SDL_AUDIODRIVER=dummy ROCKET_FRAME_TRACE=1 {environment} "
        f"{top}/rocket"])
    rest = at_rest(x, process, window, name + " rest")
    lines = output_of(process).splitlines()
    expected = output_of(reference).splitlines()
    check(lines == expected, f"{name}: the native game's {len(expected)} start-up lines "
          f"({len(lines)}, the last {lines[-1:]})")
    geometry = x.run("xdotool", "getwindowgeometry", window).stdout
    check("1280x720" in geometry, f"{name}: the window: {' '.join(geometry.split()[-2:])}")
    beside = besides_the_ball(canvas_of(rest)[0], canvas_of(reference.rest)[0])
    check(not beside, f"{name}: the frame at rest as the native game shows it but for the ball "
          f"({len(beside)} pixels otherwise, from {beside[:3]})")
    libraries = set(re.findall(r"/(libSDL[^/\s]*)$", mapped(window, x), re.M))
    x.hold(process, "Right", 3)
    turned = shot(x, window, name + " turned")
    check(centre(turned) != centre(rest), f"{name}: Right turns the rocket")
    x.keys("Escape")
    status = wait_exit(process, timeout=20)
    check(status == 0, f"{name}: Escape ends it with status {status}")
    return libraries


# The tarball: one folder, every entry root's, the program among the images and documents.
listing = run("tar", "-tvzf", tarball).splitlines()
names = [line.split()[-1] for line in listing]
check(all(n == top + "/" or n.startswith(top + "/") for n in names),
      f"one folder, {top}/ ({len(names)} entries)")
check(all(line.split()[1] == "0/0" for line in listing), "every entry owned by 0/0")
files = {n[len(top) + 1:] for n in names}
wanted = {"rocket", "README.txt", "LICENSE", "rocket.png"}
images = {f for f in files if re.fullmatch(r"assets/\w+\.bmp", f)}
check(wanted <= files and len(images) == 49,
      f"the program, README.txt, LICENSE, the icon and 49 images ({sorted(files - images)})")
check(any(line.startswith("-rwxr-xr-x") and line.endswith(f"{top}/rocket") for line in listing),
      "the program executable")

with XSession() as x, tempfile.TemporaryDirectory() as scratch:
    # The program's needs and what it is made of.
    run("tar", "-xzf", tarball, "-C", scratch)
    program = os.path.join(scratch, top, "rocket")
    needed = set(re.findall(r"\(NEEDED\)\s+Shared library: \[(.*)\]", run("readelf", "-d", program)))
    check(needed and needed <= LIBC, f"needs only the C library's family: {sorted(needed)}")
    newest = max(version(v) for v in re.findall(r"\bGLIBC_(\d+(?:\.\d+)+)\b",
                                                  run("objdump", "-T", program)))
    machine = version(os.confstr("CS_GNU_LIBC_VERSION").split()[-1])
    if machine <= (2, 36):
        check(newest <= (2, 35), f"glibc 2.35 is enough: the newest symbol is GLIBC_{dotted(newest)}")
    else:
        # Built anywhere, the program needs the build machine's C library's newer functions
        # (glibc 2.38's C23 and BSD ones on Debian 13): the floor is a Debian 12 build's.
        print(f"note glibc 2.35 is enough only when built on Debian 12: built on glibc "
              f"{dotted(machine)}, the program needs GLIBC_{dotted(newest)}")
    passed, report = hardening_check(program)
    check(passed, "hardening-check:" + report)

    # Unpacked in each system's home folder (which makes the system the first time: minutes);
    # played where its C library is new enough.
    playable = {}
    for name, system in SYSTEMS.items():
        made = in_system(system, f"cd && rm -rf {top} && tar -xzf {shlex.quote(inside)} && "
                         "getconf GNU_LIBC_VERSION")
        if made.returncode != 0:
            raise RuntimeError(f"{name}: the tarball could not be unpacked: {made.stderr[-2000:]}")
        libc = version(made.stdout.split()[-1])
        if libc >= newest:
            playable[name] = system
        else:
            print(f"note not played in {name}, whose glibc is {dotted(libc)}")
        # Whatever the build machine's own C library runs, the program runs too.
        check(libc < machine or name in playable, f"{name} (glibc {dotted(libc)}) plays it")
    reference, window = x.launch(os.path.join(native, "rocket"), native)
    reference.rest = at_rest(x, reference, window, "native rest")
    x.keys("Escape")
    wait_exit(reference)
    for name, system in playable.items():
        own = played(x, system, name, reference)
        check(not own, f"{name}: no SDL of the system's loaded ({sorted(own)})")
    shown, said, status = message_box(x, SYSTEMS["Debian 13"])
    check(shown and status == 1, f"an image missing: a message box, then status {status} "
          f"(it said {said}; Xvfb {'runs' if x.server.poll() is None else 'has ended'})")
    compat = played(x, SYSTEMS["Debian 13"], "Debian 13, sdl2-compat", reference,
                    f"SDL_DYNAMIC_API={COMPAT}")
    check(any(lib.startswith("libSDL3") for lib in compat),
          f"Debian 13, sdl2-compat: SDL_DYNAMIC_API puts it in place ({sorted(compat)})")

if layer:
    # The Wayland test on the tarball's program, in the system that has weston, unpacked there.
    wayland = in_system(layer, f"cd && rm -rf {top} && tar -xzf {shlex.quote(inside)} && "
                        "PYTHONPATH=/rocket/tests:/rocket/tools /usr/bin/python3 "
                        f"/rocket/tests/wayland_e2e.py {top}/rocket {top}")
    print("".join("  " + line for line in wayland.stdout.splitlines(keepends=True)), end="")
    check(wayland.returncode == 0, f"on weston scaled to 200%, in {layer[0]} "
          f"(status {wayland.returncode}{': ' + wayland.stderr[-500:] if wayland.stderr else ''})")

finish()
