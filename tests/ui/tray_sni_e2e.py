#!/usr/bin/python3
"""The tray icon as a StatusNotifier host drives it (KDE Plasma, GNOME's AppIndicator
extension, waybar), in either lane of the test session: the item registers with a symbolic
icon name, its exported menu holds the tray menu's entries, the host's Activate (and the
menu's Open Panel…) opens the panel and a second one closes it, opening another of our windows
closes it, and every window opens, all over the accessibility bus; a switch of the settings
window is stored. In the X11 lane the host stands beside the
XEmbed tray; the Wayland lane runs one, where the hot-key row says the desktop offers none.

    tray_sni_e2e.py <duskhaven> <source folder>
"""
import contextlib
import json
import os
import sys
import tempfile

sys.path.insert(0, os.path.join(sys.argv[2], "tests", "support"))
import atspi  # noqa: E402
import sni_host  # noqa: E402
from atspi import press, showing, wait_for  # noqa: E402
from demo_session import running  # noqa: E402

APP, SOURCE = sys.argv[1:3]
BUTTON, FRAME = "push button", "frame"
PANEL = (BUTTON, "Open app")  # a control only the panel has
MENU = ["Play", "Next Scene", "-", "Open Panel…", "Open Dusk Haven", "-", "Start Focus Session",
        "-", "Settings…", "Check for Updates…", "-", "Quit Dusk Haven"]
atspi.TIMEOUT = 30


def size(node):
    node.clear_cache()
    box = node.get_component_iface().get_extents(atspi.Atspi.CoordType.SCREEN)
    return box.width, box.height


def panel_shown():
    return showing(*PANEL) is not None


def main():
    with tempfile.TemporaryDirectory(prefix="duskhaven-sni.") as work, \
            contextlib.ExitStack() as stack:
        if not sni_host.serving():
            stack.enter_context(running([sys.executable, sni_host.__file__, "serve"], os.environ))
            wait_for("the StatusNotifier host", sni_host.serving)
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"),
                   XDG_DATA_HOME=os.path.join(work, "data"),
                   DUSKHAVEN_MANIFEST_URL="http://127.0.0.1:9/manifest.json")
        stack.enter_context(running([APP], env))

        item = sni_host.wait_for_item()
        assert sni_host.menu_labels(item) == MENU, sni_host.menu_labels(item)
        # A symbolic name that hosts colour to their bar, and pictures for those that cannot.
        name, sizes = sni_host.icon(item)
        assert name == "app.duskhaven.DuskHaven-symbolic" and 22 in sizes, (name, sizes)

        # The launcher opens at the first launch, at 16:9 whether or not the window system
        # knows aspect hints.
        launcher = atspi.find(FRAME, "dusk-haven")
        try:
            wait_for("the launcher at 16:9",
                     lambda: abs(size(launcher)[0] * 9 - size(launcher)[1] * 16) <= 16, timeout=10)
        finally:
            width, height = size(launcher)

        sni_host.activate(item)
        wait_for("the panel opened by Activate", panel_shown)
        sni_host.activate(item)
        wait_for("the panel closed by a second Activate", lambda: not panel_shown())

        # Opening another of our windows puts the panel away: from the panel itself, and from
        # the host's menu.
        sni_host.activate(item)
        wait_for("the panel again", panel_shown)
        press(BUTTON, "Settings")
        atspi.find(FRAME, "Settings")
        wait_for("the panel closed for the settings window", lambda: not panel_shown())
        if os.environ.get("QT_QPA_PLATFORM") == "wayland":
            # No portal on this bus and no X server: the row says so.
            hint = atspi.focus("check box", "Enable global hotkeys").get_description()
            assert hint.startswith("Not offered by this desktop"), hint
        atspi.focus("check box", "Reduce motion")
        press("check box", "Reduce motion")
        settings = os.path.join(work, "config", "dusk-haven", "settings.json")
        wait_for("the switch stored", lambda: os.path.exists(settings) and
                 json.load(open(settings)).get("reduceMotion") is True)
        sni_host.activate(item)
        wait_for("the panel beside the settings window", panel_shown)
        sni_host.click("Open Dusk Haven", item)
        wait_for("the panel closed for the launcher", lambda: not panel_shown())

        # A focus session from the menu: the menu then steers it, and the panel's focus button
        # tells its phase.
        sni_host.click("Start Focus Session", item)
        running_menu = ["Pause Focus Session", "Skip focus", "Stop Focus Session"]
        wait_for("the running session's entries",
                 lambda: sni_host.menu_labels(item)[6:9] == running_menu)
        sni_host.click("Open Panel…", item)
        times = ["25:00"] + [f"24:{second:02d}" for second in range(59, 29, -1)]
        wait_for("the panel's focus button",
                 lambda: any(showing(BUTTON, f"Focus session, Focus · {time}") for time in times))
        sni_host.click("Stop Focus Session", item)
        wait_for("the menu back to its start", lambda: sni_host.menu_labels(item) == MENU)
    print(f"ok: tray over StatusNotifierItem ({os.environ.get('QT_QPA_PLATFORM')}), "
          f"item {item}, menu {MENU}, launcher {width}×{height}")


if __name__ == "__main__":
    main()
