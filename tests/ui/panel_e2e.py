#!/usr/bin/python3
"""The tray panel, saved mixes and the sleep timer end to end, in the test session, on the demo
catalogue: the panel opened by a click on its tray icon, a scene card and the play/pause button
pressed over the accessibility bus; the player's state read over MPRIS and its sound at the null
sink's monitor; the ambient pack fetched through its card and a layer's slider moved until it
is heard. Then a mix link opened over MPRIS plays its scene with its layer at the sink and is
saved from the panel; after a restart the panel's chip brings it back over the accessibility
bus. Then a sleep link of a few seconds fades the sink to silence, pauses the player, has
logind (dbusmock's template on the session's system bus) asked to suspend, and the next play is
heard again, and the panel opens the launcher.

    panel_e2e.py <duskhaven> <demo catalogue folder> <source folder>
"""
import os
import subprocess
import sys
import urllib.parse

sys.path.insert(0, os.path.join(sys.argv[3], "tests", "support"))
import atspi  # noqa: E402
from atspi import Atspi, press, press_node, set_value, showing, wait_for  # noqa: E402
from demo_session import demo_catalogue, loudness, mpris, open_panel, run, running  # noqa: E402

APP, CATALOGUE, SOURCE = sys.argv[1:4]
BUTTON, SLIDER = "push button", "slider"
atspi.TIMEOUT = 60
MIX_NAME = "Evening check"


def suspend_calls():
    out = run("gdbus", "call", "--system", "--dest", "org.freedesktop.login1",
              "--object-path", "/org/freedesktop/login1",
              "--method", "org.freedesktop.DBus.Mock.GetMethodCalls", "Suspend")
    return out.count("uint64")


def panel(env, manifest, card):
    """The panel's own controls: a scene card, play/pause, the pack's card and a layer."""
    assert showing(BUTTON, manifest["playlists"][0]["name"]) is None, \
        "the displayed scene is not offered again"
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


def main():
    logind = ["/usr/bin/python3", "-m", "dbusmock", "--system", "--template", "logind"]
    settings = {"openLauncherOnLaunch": False, "sleepTimerSuspends": True}
    with running(logind, os.environ), \
            demo_catalogue(CATALOGUE, SOURCE, settings) as (env, manifest, _):
        with running([APP], env):
            # Opened as a user opens it: a click on the icon in the tray.
            panel(env, manifest, open_panel(manifest, offered=1))
            # Another scene than the card's, so that the link is seen to change it.
            scene = manifest["playlists"][2]
            layer = manifest["ambientLayers"][0]
            link = "dusk-haven://mix?" + urllib.parse.urlencode(
                {"scene": scene["id"], "music": "0.700", "layer." + layer["id"]: "0.800",
                 "name": MIX_NAME}, quote_via=urllib.parse.quote)

            # The link over MPRIS: its scene plays, with its layer.
            mpris("open", link)
            wait_for("MPRIS Playing", lambda: mpris("status") == "Playing", timeout=60)
            wait_for("the scene", lambda: mpris("metadata", "album") == scene["name"], timeout=60)
            wait_for("music and layer at the sink", lambda: loudness() > 0.02)

            # Offered for saving under the link's name.
            press(BUTTON, "Save mix…")
            press(BUTTON, "Save mix")
            wait_for("the saved chip", lambda: showing(BUTTON, MIX_NAME))

        # After a restart, the chip brings the mix back.
        with running([APP], env):
            # The mix's scene is now the one displayed; the panel offers the first.
            open_panel(manifest, offered=0)
            wait_for("nothing heard after the restart", lambda: loudness() < 0.002)
            press(BUTTON, MIX_NAME)
            wait_for("MPRIS Playing the mix", lambda: mpris("status") == "Playing", timeout=60)
            wait_for("the mix at the sink", lambda: loudness() > 0.02)

            # Six seconds to sleep: the last 1.5 s fade out, then the player pauses.
            mpris("open", "dusk-haven://sleep?minutes=0.1")
            wait_for("the moon's time left", lambda: any(
                showing(BUTTON, f"Sleep timer, 0:0{s} left") for s in range(7)), timeout=10)
            wait_for("MPRIS Paused by the timer", lambda: mpris("status") == "Paused", timeout=20)
            wait_for("silence", lambda: loudness() < 0.002)
            wait_for("logind asked to suspend", lambda: suspend_calls() == 1, timeout=90)

            # The volume is back: the next play is heard.
            mpris("play")
            wait_for("the music again", lambda: loudness() > 0.02, timeout=30)

            # The panel's own way to the launcher puts the panel away.
            press(BUTTON, "Open app")
            atspi.find("frame", "dusk-haven")
            wait_for("the panel put away", lambda: showing(BUTTON, "Open app") is None)
    print("ok: panel end to end")

if __name__ == "__main__":
    main()
