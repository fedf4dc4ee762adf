#!/usr/bin/python3
"""The tray panel end to end, in the test session: the app on the demo catalogue, the panel
opened by a click on its tray icon, a scene card and the play/pause button pressed over the
accessibility bus; the player's state read over MPRIS and its sound at the null sink's monitor;
then the ambient pack fetched through its card and a layer's slider moved until it is heard.

    panel_e2e.py <duskhaven> <demo catalogue folder> <source folder>
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(sys.argv[3], "tests", "support"))
import atspi  # noqa: E402
from atspi import Atspi, press, press_node, set_value, showing, wait_for  # noqa: E402
from demo_session import demo_catalogue, loudness, mpris, open_panel, running  # noqa: E402

APP, CATALOGUE, SOURCE = sys.argv[1:4]
BUTTON, SLIDER = "push button", "slider"
# The catalogue arrives over the loopback server; a lookup may wait for it.
atspi.TIMEOUT = 60


def main():
    with demo_catalogue(CATALOGUE, SOURCE, {"openLauncherOnLaunch": False}) as (env, manifest, _), \
            running([APP], env):
        # Opened as a user opens it: a click on the icon in the tray.
        first = manifest["playlists"][0]["name"]
        card = open_panel(manifest)
        assert showing(BUTTON, first) is None, "the displayed scene is not offered again"

        press_node(card)
        wait_for("MPRIS Playing", lambda: mpris("status") == "Playing", timeout=60)
        wait_for("the music at the sink", lambda: loudness() > 0.02)

        press(BUTTON, "Pause")
        wait_for("MPRIS Paused", lambda: mpris("status") == "Paused")
        wait_for("silence", lambda: loudness() < 0.002)
        press(BUTTON, "Play")
        wait_for("MPRIS Playing again", lambda: mpris("status") == "Playing")
        # A desktop shortcut's command toggles the running instance.
        for status in ("Paused", "Playing"):
            subprocess.run([APP, "--toggle"], env=env, check=True, timeout=30)
            wait_for(f"MPRIS {status} after --toggle", lambda: mpris("status") == status)

        # The music out of the way, so that what is heard next is the layer alone.
        set_value(SLIDER, "Volume", 0.0)
        wait_for("the music silenced", lambda: loudness() < 0.002)
        press(BUTTON, "Download")
        wait_for("the pack", lambda: showing(BUTTON, "Remove pack"), timeout=120)
        layer = manifest["ambientLayers"][0]["name"]
        wait_for(f"the {layer} slider",
                 lambda: (s := showing(SLIDER, layer)) and
                 s.get_state_set().contains(Atspi.StateType.ENABLED))
        set_value(SLIDER, layer, 0.8)
        wait_for(f"{layer} at the sink", lambda: loudness() > 0.02)
        assert abs(atspi.value(SLIDER, layer) - 0.8) < 0.01, "the slider shows what is in effect"
    print("ok: panel end to end")


if __name__ == "__main__":
    main()
