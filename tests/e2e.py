"""What the end-to-end tests share: a check that prints its line and keeps count, the end that
reports the count, and a command whose output is wanted. The game's launch, its window and its
output come from tools/xsession.py, which the figures' scripts use too. CTest and the Makefile
put tests/ and tools/ on PYTHONPATH; by hand: PYTHONPATH=tests:tools python3 tests/NAME.py ..."""
import subprocess
import sys

failures = []


def check(condition, message):
    print(("ok   " if condition else "FAIL ") + message)
    if not condition:
        failures.append(message)


def finish():
    """Ends the test: status 1 after the number of failures, if there were any."""
    if failures:
        print(f"{len(failures)} failure(s)")
        sys.exit(1)


def run(*command, cwd=None):
    """The standard output of a command that must succeed."""
    return subprocess.run(command, cwd=cwd, capture_output=True, text=True, check=True).stdout


def hardening_check(program, arm=False):
    """hardening-check on a program: whether every check passed, and its report. Each platform's
    own protection is asked for: x86's control-flow protection of an x86 program, which the tool
    knows as x86's alone, and ARM's branch protection of an ARM one (newer releases of the tool
    ask for it of every program, and say no of Debian's own amd64 programs too)."""
    skip = "--nocfprotection" if arm else "--nobranchprotection"
    known = skip in subprocess.run(["hardening-check", "--help"], capture_output=True,
                                   text=True).stdout
    result = subprocess.run(["hardening-check", *([skip] if known else []), program],
                            capture_output=True, text=True)
    refused = [l for l in result.stdout.splitlines() if ": no" in l and "(ignored)" not in l]
    return result.returncode == 0 and not refused, result.stdout.split(":", 1)[1].rstrip()
