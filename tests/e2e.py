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
