#!/usr/bin/env python3
"""The real program against a damaged assets folder. For the first, a middle and the last image,
each kind of damage must end the same way: the self-test's two lines and the loading lines up to
the damaged file, then "error : Unable to load ! ..." (or "Unable to create texture"), exit
status 1, no later image tried, no hang, and nothing from the sanitizers."""
import os
import shutil
import struct
import subprocess
import sys
import tempfile

game, assets = sys.argv[1:3]
POSITIONS = ["assets/body.bmp", "assets/planetFur.bmp", "assets/starsSquid.bmp"]
START = ["validating collision detection...", "collision detection is ~mostly~ valid",
         "loading assets/body.bmp"]
SANITIZER_WORDS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:")


def missing(path):
    os.remove(path)


def empty(path):
    open(path, "wb").close()


def cut_in_header(path):
    data = open(path, "rb").read()
    open(path, "wb").write(data[:30])


def cut_in_pixels(path):
    data = open(path, "rb").read()
    pixels_at = struct.unpack_from("<I", data, 10)[0]
    open(path, "wb").write(data[:pixels_at + (len(data) - pixels_at) // 2])


def not_a_bitmap(path):
    open(path, "w").write("this is not a bitmap\n")


def absurd_size(path):
    data = bytearray(open(path, "rb").read())
    struct.pack_into("<ii", data, 18, 0x7FFFFFF0, 0x7FFFFFF0)
    open(path, "wb").write(data)


def directory(path):
    os.remove(path)
    os.mkdir(path)


def unreadable(path):
    os.chmod(path, 0)


def pipe(path):
    # Opening a pipe for reading waits for a writer that never comes, unless the game refuses it.
    os.remove(path)
    os.mkfifo(path)


DAMAGES = [missing, empty, cut_in_header, cut_in_pixels, not_a_bitmap, absurd_size, directory,
           unreadable, pipe]


def run(where, as_nobody):
    command = [game]
    if as_nobody:
        # root reads any file whatever its mode, so the unreadable case runs as nobody.
        command = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] + command
    try:
        done = subprocess.run(command, cwd=where, capture_output=True, text=True, timeout=20)
        return done.returncode, done.stdout, done.stderr
    except subprocess.TimeoutExpired:
        return None, "", "hung"


failures = 0
with tempfile.TemporaryDirectory() as scratch:
    os.chmod(scratch, 0o755)
    for victim in POSITIONS:
        for damage in DAMAGES:
            where = os.path.join(scratch, "run")
            shutil.rmtree(where, ignore_errors=True)
            shutil.copytree(assets, os.path.join(where, "assets"))
            for root, dirs, files in os.walk(where):
                os.chmod(root, 0o755)
            damage(os.path.join(where, victim))
            as_nobody = damage is unreadable and os.getuid() == 0
            status, out, err = run(where, as_nobody)
            lines = out.splitlines()
            name = f"{damage.__name__} {victim}"
            problems = []
            if status != 1:
                problems.append(f"exit status {status}")
            if lines[:3] != START:
                problems.append(f"output begins {lines[:3]}")
            if len(lines) < 2 or lines[-2] != "loading " + victim:
                problems.append(f"the line before the last is {lines[-2:-1]}")
            last = lines[-1] if lines else ""
            if not (last.startswith("error : Unable to load ! ") or
                    last.startswith("error : Unable to create texture ! ")) or not last.endswith(" "):
                problems.append(f"last line {last!r}")
            if any(word in err for word in SANITIZER_WORDS) or err == "hung":
                problems.append("stderr: " + err[:2000])
            if problems:
                failures += 1
                print(f"FAIL {name}: " + "; ".join(problems))
            else:
                print(f"ok   {name}: {last}")

print(f"{len(POSITIONS) * len(DAMAGES) - failures} passed, {failures} failed")
sys.exit(1 if failures else 0)
