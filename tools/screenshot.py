#!/usr/bin/env python3
"""screenshot.py GAME BUILD OUT.png: plays a few seconds of the real game under Xvfb (a turn, a
burn of the thruster, a coast) and keeps a screenshot of the game in flight."""
import os
import sys
import time

from xsession import XSession, settle, wait_exit

game, build, out = sys.argv[1:4]
with XSession() as x:
    process, window = x.launch(game, build)
    settle(10)
    x.keys("Right", action="keydown")
    settle(2)
    x.keys("Right", action="keyup")
    x.keys("Up", action="keydown")
    time.sleep(0.6)
    x.keys("Up", action="keyup")
    settle(6)
    x.keys("Up", action="keydown")
    settle(3)
    x.screenshot(window, out)
    x.keys("Up", action="keyup")
    x.keys("Escape")
    status = wait_exit(process)
print(f"{out} (game exit status {status})")
sys.exit(0 if status == 0 and os.path.exists(out) else 1)
