#!/usr/bin/python3
"""Saved mixes and the sleep timer end to end, in the test session, on the demo catalogue: a mix
link opened over MPRIS plays its scene with its layer at the null sink and is saved from the
panel; after a restart the panel's chip brings it back over the accessibility bus. Then a sleep
link of a few seconds fades the sink to silence, pauses the player, has logind (dbusmock's
template on the session's system bus) asked to suspend, and the next play is heard again.

    mixes_e2e.py <duskhaven> <demo catalogue folder> <source folder>
"""
import os
import subprocess
import sys
import urllib.parse

sys.path.insert(0, os.path.join(sys.argv[3], "tests", "support"))
import atspi  # noqa: E402
from atspi import press, showing, wait_for  # noqa: E402
from demo_session import demo_catalogue, loudness, mpris, open_panel, run  # noqa: E402

APP, CATALOGUE, SOURCE = sys.argv[1:4]
BUTTON = "push button"
atspi.TIMEOUT = 60
MIX_NAME = "Evening check"


def suspend_calls():
    out = run("gdbus", "call", "--system", "--dest", "org.freedesktop.login1",
              "--object-path", "/org/freedesktop/login1",
              "--method", "org.freedesktop.DBus.Mock.GetMethodCalls", "Suspend")
    return out.count("uint64")


def start(env, manifest, offered):
    app = subprocess.Popen([APP], env=env)
    open_panel(manifest, offered)
    return app


def main():
    app = None
    logind = subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", "--system", "--template",
                               "logind"], stdout=subprocess.DEVNULL)
    settings = {"openLauncherOnLaunch": False, "sleepTimerSuspends": True}
    with demo_catalogue(CATALOGUE, SOURCE, settings) as (env, manifest, _):
        try:
            app = start(env, manifest, offered=1)
            scene = manifest["playlists"][1]
            layer = manifest["ambientLayers"][0]
            link = "dusk-haven://mix?" + urllib.parse.urlencode(
                {"scene": scene["id"], "music": "0.700", "layer." + layer["id"]: "0.800",
                 "name": MIX_NAME}, quote_via=urllib.parse.quote)

            # The link over MPRIS: its scene plays, its layer comes with the pack.
            mpris("open", link)
            wait_for("MPRIS Playing", lambda: mpris("status") == "Playing", timeout=60)
            wait_for("the scene", lambda: mpris("metadata", "album") == scene["name"], timeout=60)
            wait_for("the pack", lambda: showing(BUTTON, "Remove pack"), timeout=120)
            wait_for("music and layer at the sink", lambda: loudness() > 0.02)

            # Offered for saving under the link's name.
            press(BUTTON, "Save mix…")
            press(BUTTON, "Save mix")
            wait_for("the saved chip", lambda: showing(BUTTON, MIX_NAME))

            # After a restart, the chip brings the mix back.
            app.terminate()
            app.wait(10)
            # The mix's scene is now the one displayed; the panel offers the first.
            app = start(env, manifest, offered=0)
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
            print("ok: mixes end to end")
        finally:
            if app is not None:
                app.terminate()
                app.wait(10)
            logind.terminate()
            logind.wait(10)


if __name__ == "__main__":
    main()
