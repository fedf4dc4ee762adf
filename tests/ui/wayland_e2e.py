#!/usr/bin/python3
"""The app end to end in the Wayland lane of the test session (a headless compositor, a
StatusNotifier host, the null sink): it starts and registers its icon with the host, the
host's Activate opens the panel, a scene card pressed there is heard at the sink, the panel
opens the launcher and the settings window, and a switch turned there is stored.

    wayland_e2e.py <duskhaven> <demo catalogue folder> <source folder>
"""
import json
import os
import sys

sys.path.insert(0, os.path.join(sys.argv[3], "tests", "support"))
import atspi  # noqa: E402
import sni_host  # noqa: E402
from atspi import press, showing, wait_for  # noqa: E402
from demo_session import demo_catalogue, loudness, mpris, running  # noqa: E402

APP, CATALOGUE, SOURCE = sys.argv[1:4]
BUTTON = "push button"
atspi.TIMEOUT = 60  # the catalogue arrives over the loopback server


def main():
    with demo_catalogue(CATALOGUE, SOURCE, {"openLauncherOnLaunch": False}) as (env, manifest, _), \
            running([APP], env):
        settings = os.path.join(env["XDG_CONFIG_HOME"], "dusk-haven", "settings.json")
        item = sni_host.wait_for_item()
        print(f"registered: {item}, menu {sni_host.menu_labels(item)}")

        sni_host.activate(item)
        scene = manifest["playlists"][1]["name"]
        press(BUTTON, scene)
        wait_for("MPRIS Playing", lambda: mpris("status") == "Playing", timeout=60)
        peak = wait_for("the scene at the sink", lambda: (p := loudness()) > 0.02 and p)
        print(f"heard {scene!r} at the sink: peak {peak:.3f}")

        press(BUTTON, "Open app")
        atspi.find("frame", "dusk-haven")
        wait_for("the panel put away", lambda: showing(BUTTON, "Open app") is None)
        print("launcher open from the panel")

        sni_host.activate(item)
        press(BUTTON, "Settings")
        atspi.find("frame", "Settings")
        # No portal on this bus and no X server: the row says so.
        hint = atspi.focus("check box", "Enable global hotkeys").get_description()
        assert hint.startswith("Not offered by this desktop"), hint
        print(f"settings open; hot keys: {hint!r}")
        atspi.focus("check box", "Reduce motion")
        press("check box", "Reduce motion")
        wait_for("the switch stored", lambda: json.load(open(settings)).get("reduceMotion") is True)
        print("Reduce motion stored: true")
    print("ok: Wayland end to end")


if __name__ == "__main__":
    main()
