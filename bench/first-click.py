#!/usr/bin/python3
"""The first click on the tray icon of an app that has stayed in the tray, against the same
click on a minimal Qt Quick tray program (bench/quick_panel_floor: a Widgets tray icon whose
first click builds a small Qt Quick panel), and what each idle process costs in memory before
that click.

Each run starts the floor and then the app afresh, one at a time, the app on the demo catalogue
with the launcher kept closed. Each is measured the same way: its tray icon located, a wait
until it is idle (the app's catalogue loaded, anything done ahead done), its RSS read, then a
click on the icon and a poll of the X server for the mapped 360-wide "Dusk Haven" window, both
over one Xlib connection (XTest, a query about every millisecond), so that no helper process
adds to either figure (the window's first frame, drawn after it is mapped, is not part of it).
Three later clicks follow, each after the panel was hidden by a click on the icon. Goals
(medians of the runs): the app's first click at most 1.5 x the floor's; the app's idle RSS at
most 1.3 x the floor's.

The floor is QUICK_PANEL_FLOOR when set, BUILD_DIR/bench/quick_panel_floor otherwise.

    ./dev session bench/first-click.py [runs]
"""
import ctypes
import os
import re
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.environ.get("BUILD_DIR", os.path.join(ROOT, "build"))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
from demo_session import demo_catalogue, tray_icon_centre  # noqa: E402


class X:
    """The few Xlib calls the measure needs, over ctypes."""

    class Attributes(ctypes.Structure):
        _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                    ("height", ctypes.c_int), ("border_width", ctypes.c_int),
                    ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                    ("root", ctypes.c_ulong), ("c_class", ctypes.c_int),
                    ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                    ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                    ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                    ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                    ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                    ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                    ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]

    def __init__(self):
        self.lib = ctypes.CDLL("libX11.so.6")
        self.tst = ctypes.CDLL("libXtst.so.6")
        self.lib.XOpenDisplay.restype = ctypes.c_void_p
        self.lib.XDefaultRootWindow.restype = ctypes.c_ulong
        self.display = ctypes.c_void_p(self.lib.XOpenDisplay(None))
        self.root = ctypes.c_ulong(self.lib.XDefaultRootWindow(self.display))
        # A window may vanish between the tree and the question about it.
        self.ignore_errors = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p,
                                              ctypes.c_void_p)(lambda *_: 0)
        self.lib.XSetErrorHandler(self.ignore_errors)

    def click(self, x, y):
        self.lib.XWarpPointer(self.display, 0, self.root, 0, 0, 0, 0, x, y)
        self.tst.XTestFakeButtonEvent(self.display, 1, True, 0)
        self.tst.XTestFakeButtonEvent(self.display, 1, False, 0)
        self.lib.XFlush(self.display)

    def _children(self, window):
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        children, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
        if not self.lib.XQueryTree(self.display, window, ctypes.byref(root), ctypes.byref(parent),
                                   ctypes.byref(children), ctypes.byref(count)):
            return []
        found = [ctypes.c_ulong(children[i]) for i in range(count.value)]
        if children:
            self.lib.XFree(children)
        return found

    def _name(self, window):
        name = ctypes.c_char_p()
        if not self.lib.XFetchName(self.display, window, ctypes.byref(name)) or not name.value:
            return None
        value = name.value.decode()
        self.lib.XFree(name)
        return value

    def panel_shown(self):
        """A viewable window named "Dusk Haven", 360 wide (the panel), at most two levels below
        the root (the window manager's frame is the first)."""
        for top in self._children(self.root):
            for window in [top] + self._children(top):
                attributes = X.Attributes()
                if not self.lib.XGetWindowAttributes(self.display, window,
                                                     ctypes.byref(attributes)):
                    continue
                if attributes.width == 360 and attributes.map_state == 2 and \
                        self._name(window) == "Dusk Haven":
                    return True
        return False


def click(x_server, x, y, until, limit=10):
    start = time.monotonic()
    x_server.click(x, y)
    while not until():
        if time.monotonic() - start > limit:
            return None
        time.sleep(0.001)
    return (time.monotonic() - start) * 1000


def rss_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        return int(re.search(r"VmRSS:\s+(\d+)", f.read()).group(1))


def stats(values):
    got = sorted(v for v in values if v is not None)
    if not got:
        return f"never shown ({len(values)} clicks)", float("nan")
    return (f"min {got[0]:.0f}  median {statistics.median(got):.0f}  max {got[-1]:.0f}"
            f"  ({len(values) - len(got)} never shown)"), statistics.median(got)


def measure(x_server, command, env, instance, figures):
    """One fresh process of `command`: its idle RSS, its first click and three later ones,
    appended to `figures`."""
    shown = x_server.panel_shown
    assert not shown(), "a panel is shown before the program starts"
    process = subprocess.Popen(command, env=env, stderr=subprocess.DEVNULL)
    try:
        centre = None
        for _ in range(200):
            centre = tray_icon_centre(instance)
            if centre:
                break
            time.sleep(0.05)
        if not centre:
            raise SystemExit(f"first-click: no tray icon of {instance} docked")
        time.sleep(8)  # started and idle, catalogue loaded, anything done ahead done
        figures["rss"].append(rss_kb(process.pid))
        figures["first"].append(click(x_server, *centre, shown))
        for _ in range(3):
            time.sleep(0.5)
            click(x_server, *centre, lambda: not shown())
            time.sleep(0.5)
            figures["later"].append(click(x_server, *centre, shown))
    finally:
        process.terminate()
        process.wait(10)


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    floor_path = os.environ.get("QUICK_PANEL_FLOOR",
                                os.path.join(BUILD, "bench", "quick_panel_floor"))
    if not os.access(floor_path, os.X_OK):
        raise SystemExit(f"first-click: no floor at {floor_path}: build the bench's "
                         "quick_panel_floor or set QUICK_PANEL_FLOOR")
    floor = {"first": [], "later": [], "rss": []}
    app = {"first": [], "later": [], "rss": []}
    x_server = X()
    with demo_catalogue(os.path.join(BUILD, "demo-catalogue"), ROOT,
                        {"openLauncherOnLaunch": False, "onboardingCompleted": True}) as (env, _, _s):
        for _ in range(runs):
            measure(x_server, [floor_path], env, os.path.basename(floor_path), floor)
            measure(x_server, [os.path.join(BUILD, "src", "duskhaven")], env, "duskhaven", app)
    text, floor_first = stats(floor["first"])
    print(f"floor first click -> panel shown, ms: {text}")
    text, _ = stats(floor["later"])
    print(f"floor later click -> panel shown, ms: {text}")
    text, app_first = stats(app["first"])
    print(f"app first click -> panel shown, ms: {text}")
    text, app_later = stats(app["later"])
    print(f"app later click -> panel shown, ms: {text}")
    print(f"app first / floor first (medians) {app_first / floor_first:.2f} (goal <= 1.5)")
    print(f"app first / app later (medians) {app_first / app_later:.2f}")
    floor_rss, app_rss = statistics.median(floor["rss"]), statistics.median(app["rss"])
    print(f"idle RSS, kB (medians): floor {floor_rss:.0f}, app {app_rss:.0f}; "
          f"app / floor {app_rss / floor_rss:.2f} (goal <= 1.3)")


if __name__ == "__main__":
    main()
