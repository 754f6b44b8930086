#!/usr/bin/env python3
"""The game as people install and start it, under Xvfb: the build's own program started from
the repository root, a copy installed under a temporary prefix started from an unrelated folder,
and the .deb package built and unpacked (never installed) with its contents and dependencies.
The package must satisfy lintian, and its menu entry, AppStream metadata and manual page their
own validators."""
import gzip
import os
import re
import shlex
import subprocess
import sys
import tempfile

from PIL import Image

from e2e import check, finish, hardening_check, run
from xsession import XSession, output_of, play, wait_exit

build, source, VERSION, APP_ID = sys.argv[1:5]
GLASS = (22, 34, 72)


def plays(x, game, cwd, name):
    """Starts the game from `cwd`, sees the rocket at the centre, quits with Escape."""
    process, window = x.launch(game, cwd)
    # The first frames come later on a busy machine: look again, a few frames apart.
    for _ in range(25):
        play(process, 4)
        shot = x.screenshot(window, os.path.join(build, f"install-{name}.png"))
        if shot.getpixel((640 + 1, 360 + 1)) == GLASS:
            break
    x.keys("Escape")
    status = wait_exit(process)
    loaded = [l for l in output_of(process).splitlines() if l.startswith("loading assets/")]
    check(status == 0 and len(loaded) == 49, f"{name}: exit {status}, {len(loaded)} images")
    check(shot.getpixel((640 + 1, 360 + 1)) == GLASS, f"{name}: the porthole at the centre")


def silent(name, *command):
    """Runs a checker that must succeed and say nothing on standard error (lintian's note that
    it runs as root, as CI does, aside)."""
    done = subprocess.run(command, capture_output=True, text=True)
    said = (done.stdout + done.stderr).strip()
    errors = done.stderr.replace("running with root privileges is not recommended!", "").strip()
    check(done.returncode == 0 and not errors, f"{name}: {said or 'silent'}")
    return done


def documents(usr, name, program):
    """The menu entry, the icon, the metainfo and the manual page of an installed tree; the
    entry starts `program`."""
    share = os.path.join(usr, "share")
    app = APP_ID
    entry_path = os.path.join(share, "applications", app + ".desktop")
    entry = open(entry_path).read()
    check("Categories=Game;" in entry and f"Icon={app}\n" in entry, f"{name}: the desktop entry")
    # The key's string escapes first (a doubled backslash), then its quoting, as a shell's.
    command = shlex.split(re.search(r"^Exec=(.*)$", entry, re.M).group(1).replace("\\\\", "\\"))
    check(command == [program], f"{name}: the menu starts {command}")
    silent(f"{name}: desktop-file-validate", "desktop-file-validate", entry_path)
    icon = os.path.join(share, "icons", "hicolor", "128x128", "apps", app + ".png")
    check(open(icon, "rb").read(8) == b"\x89PNG\r\n\x1a\n", f"{name}: the icon is a PNG")
    drawn = Image.open(icon).convert("RGBA").getchannel("A").getbbox()
    check(drawn and drawn[0] == 128 - drawn[2] and drawn[1] == 128 - drawn[3],
          f"{name}: the icon's picture is centred, at {drawn}")
    metainfo = os.path.join(share, "metainfo", app + ".metainfo.xml")
    text = open(metainfo).read()
    check(f"<id>{app}</id>" in text and f'<release version="{VERSION}"' in text,
          f"{name}: the metainfo's id and release")
    # AppStream 1.0 warns of the homepage that the game cannot name yet (it has no public
    # address), and fails the validation for it: that one warning is borne, by name, and no other.
    done = subprocess.run(["appstreamcli", "validate", "--no-net", "--no-color", metainfo],
                          capture_output=True, text=True)
    issues = [l for l in done.stdout.splitlines() if l.startswith(("W:", "E:"))]
    borne = [l for l in issues if l.startswith("W:") and l.endswith(": url-homepage-missing")]
    check(not done.stderr and (done.returncode == 0) == (not issues) and issues == borne,
          f"{name}: appstreamcli validate: {done.stdout.strip()}")
    page = os.path.join(share, "man", "man6", "rocket.6.gz")
    source = gzip.open(page).read().decode()
    check(f'"rocket {VERSION}"' in source, f"{name}: the manual page names version {VERSION}")
    warned = subprocess.run(["groff", "-ww", "-z", "-man"], input=source, capture_output=True,
                            text=True)
    check(warned.returncode == 0 and warned.stderr == "", f"{name}: groff -ww: {warned.stderr}")
    shown = silent(f"{name}: man -l", "man", "-l", page)
    for section in ("SYNOPSIS", "OPTIONS", "CONTROLS", "FILES", "EXIT STATUS", "--mute"):
        check(section in shown.stdout, f"{name}: the manual page has {section}")
    licence = os.path.join(share, "doc", "rocket", "copyright")
    check("License: Expat" in open(licence).read(), f"{name}: the copyright file")


with XSession() as x, tempfile.TemporaryDirectory() as scratch:
    plays(x, os.path.join(build, "rocket"), source, "from the repository root")

    prefix = os.path.join(scratch, "the prefix")  # a folder name with a space, as a home may have
    run("cmake", "--install", build, "--prefix", prefix)
    elsewhere = os.path.join(scratch, "elsewhere")
    os.mkdir(elsewhere)
    plays(x, os.path.join(prefix, "games", "rocket"), elsewhere, "installed")
    documents(prefix, "installed", os.path.join(prefix, "games", "rocket"))

    run("cpack", "-G", "DEB", "-B", os.path.join(scratch, "package"), cwd=build)
    debs = [f for f in os.listdir(os.path.join(scratch, "package")) if f.endswith(".deb")]
    check(len(debs) == 1, f"one package: {debs}")
    deb = os.path.join(scratch, "package", debs[0])
    unpacked = os.path.join(scratch, "unpacked")
    run("dpkg-deb", "-x", deb, unpacked)
    depends = run("dpkg-deb", "-f", deb, "Depends")
    check("libsdl2-2.0-0" in depends, f"depends on SDL2's runtime: {depends.strip()}")
    usr = os.path.join(unpacked, "usr")
    check(run("dpkg-deb", "-f", deb, "Version").strip() == VERSION, f"version {VERSION}")
    check(os.access(os.path.join(usr, "games", "rocket"), os.X_OK), "usr/games/rocket")
    images = os.listdir(os.path.join(usr, "share", "rocket", "assets"))
    check(len(images) == 49, f"usr/share/rocket/assets holds {len(images)} images")
    documents(usr, "package", "rocket")  # /usr/games is on Debian's PATH
    # Hardened as Debian's own packages: every check of hardening-check passes on the program.
    passed, report = hardening_check(os.path.join(usr, "games", "rocket"))
    check(passed, "hardening-check passes on usr/games/rocket:" + report)
    # Info tags are advice; errors and warnings would mean the package is wrong. Its one
    # override is the homepage's: the metainfo's check above holds that it is the only warning.
    silent("lintian", "lintian", "--fail-on", "error,warning", "--tag-display-limit", "0", deb)
    plays(x, os.path.join(usr, "games", "rocket"), elsewhere, "unpacked package")

finish()
