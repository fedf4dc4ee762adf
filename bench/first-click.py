#!/usr/bin/python3
"""The first click on the tray icon of an app that has stayed in the tray: from the click to
the panel's window on screen. The views' module (Qt Quick) is loaded, the panel's QML compiled
and its window built in that time. Each run starts the app afresh on the demo catalogue with
the launcher kept closed, waits until it is idle, clicks the icon with xdotool and polls
xwininfo for the panel (about 5 ms apart).

    ./dev session bench/first-click.py [runs]
"""
import os
import re
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.environ.get("BUILD_DIR", os.path.join(ROOT, "build"))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
from demo_session import demo_catalogue, run, tray_icon_centre  # noqa: E402


def panel_shown():
    out = run("xwininfo", "-name", "Dusk Haven")
    return "IsViewable" in out and re.search(r"Width: 360", out) is not None


def click_until_shown(x, y):
    start = time.monotonic()
    run("xdotool", "mousemove", str(x), str(y), "click", "1")
    while not panel_shown():
        if time.monotonic() - start > 10:
            return None
        time.sleep(0.003)
    return (time.monotonic() - start) * 1000


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    first = []
    with demo_catalogue(os.path.join(BUILD, "demo-catalogue"), ROOT,
                        {"openLauncherOnLaunch": False, "onboardingCompleted": True}) as (env, _, _s):
        for _ in range(runs):
            app = subprocess.Popen([os.path.join(BUILD, "src", "duskhaven")], env=env,
                                   stderr=subprocess.DEVNULL)
            try:
                centre = None
                for _ in range(200):
                    centre = tray_icon_centre()
                    if centre:
                        break
                    time.sleep(0.05)
                time.sleep(5)  # started and idle, catalogue loaded
                first.append(click_until_shown(*centre))
            finally:
                app.terminate()
                app.wait(10)
    got = sorted(v for v in first if v is not None)
    print(f"first click -> panel shown, ms: min {got[0]:.0f}  median {statistics.median(got):.0f}"
          f"  max {got[-1]:.0f}  ({len(first) - len(got)} never shown)")


if __name__ == "__main__":
    main()
