#!/usr/bin/python3
"""The tray panel end to end, in the test session: the app on the demo catalogue, the panel
opened by a click on its tray icon, a scene card and the play/pause button pressed over the
accessibility bus; the player's state read over MPRIS and its sound at the null sink's monitor;
then the ambient pack fetched through its card and a layer's slider moved until it is heard.

    panel_e2e.py <duskhaven> <demo catalogue folder> <source folder>
"""
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(sys.argv[3], "tests", "support"))
import atspi  # noqa: E402
from atspi import Atspi, press, press_node, set_value, showing, wait_for  # noqa: E402
from demo_session import demo_catalogue, loudness, run  # noqa: E402

APP, CATALOGUE, SOURCE = sys.argv[1:4]
BUTTON, SLIDER = "push button", "slider"
# The catalogue arrives over the loopback server; a lookup may wait for it.
atspi.TIMEOUT = 60




def tray_icon_centre():
    """The app's icon window under the tray host, from xwininfo, as a user sees it."""
    for line in run("xwininfo", "-root", "-tree").splitlines():
        match = re.search(r'\("duskhaven" "[^"]*"\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)',
                          line)
        if match:
            w, h, x, y = map(int, match.groups())
            if 8 <= w <= 64 and 8 <= h <= 64 and (x, y) != (0, 0):
                return x + w // 2, y + h // 2
    return None


def main():
    app = None
    with demo_catalogue(CATALOGUE, SOURCE, {"openLauncherOnLaunch": False}) as (env, manifest, _):
        try:
            app = subprocess.Popen([APP], env=env)

            # Opened as a user opens it: a click on the icon in the tray.
            x, y = wait_for("the tray icon", tray_icon_centre)
            atspi.app()
            first, second = manifest["playlists"][0]["name"], manifest["playlists"][1]["name"]
            # The catalogue is here once the panel offers the second scene.
            run("xdotool", "mousemove", str(x), str(y), "click", "1")
            card = atspi.find(BUTTON, second)
            assert showing(BUTTON, first) is None, "the displayed scene is not offered again"

            press_node(card)
            wait_for("MPRIS Playing", lambda: run("playerctl", "-p", "duskhaven", "status") == "Playing",
                     timeout=60)
            wait_for("the music at the sink", lambda: loudness() > 0.02)

            press(BUTTON, "Pause")
            wait_for("MPRIS Paused", lambda: run("playerctl", "-p", "duskhaven", "status") == "Paused")
            wait_for("silence", lambda: loudness() < 0.002)
            press(BUTTON, "Play")
            wait_for("MPRIS Playing again",
                     lambda: run("playerctl", "-p", "duskhaven", "status") == "Playing")

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
        finally:
            if app is not None:
                app.terminate()
                app.wait(10)


if __name__ == "__main__":
    main()
