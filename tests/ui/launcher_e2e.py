#!/usr/bin/python3
"""The launcher end to end, in the test session: a first run on the demo catalogue shows
onboarding; two scenes are picked and Continue pressed over the accessibility bus, and the
stored favourites and the player's agree; a tile of the drawer is pressed and heard at the null
sink; it is kept offline with the pin button; then, with the catalogue server stopped, the app
is started again and plays that scene from the drawer.

    launcher_e2e.py <duskhaven> <demo catalogue folder> <source folder>
"""
import json
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(sys.argv[3], "tests", "support"))
import atspi  # noqa: E402
from atspi import Atspi, press, showing, wait_for  # noqa: E402
from demo_session import demo_catalogue, loudness, run  # noqa: E402

APP, CATALOGUE, SOURCE = sys.argv[1:4]
BUTTON = "push button"
atspi.TIMEOUT = 60


def start(env):
    app = subprocess.Popen([APP], env=env)
    atspi.app()
    return app


def stop(app):
    app.terminate()
    app.wait(10)


def main():
    app = None
    with demo_catalogue(CATALOGUE, SOURCE) as (env, manifest, server):
        try:
            settings = os.path.join(env["XDG_CONFIG_HOME"], "dusk-haven", "settings.json")
            scenes = manifest["playlists"]

            # A first run: the launcher opens with onboarding.
            app = start(env)
            press(BUTTON, "Get started →")
            picked = scenes[:2]
            for scene in picked:
                press(BUTTON, scene["name"])
            press(BUTTON, "Continue →")
            wanted = json.dumps(sorted(s["id"] for s in picked), separators=(",", ":"))
            wait_for("the favourites stored",
                     lambda: json.load(open(settings)).get("favoriteSceneIds") == wanted)

            # The drawer: a tile pressed plays its scene at once; the player counts it a favourite.
            press(BUTTON, "Scenes")
            scene = picked[1]
            press(BUTTON, scene["name"])
            wait_for("MPRIS Playing", lambda: run("playerctl", "-p", "duskhaven", "status") == "Playing",
                     timeout=60)
            wait_for("the scene at the sink", lambda: loudness() > 0.02)
            heart = atspi.find(BUTTON, "Favourite")
            assert heart.get_state_set().contains(Atspi.StateType.CHECKED), \
                "the player's favourites are the ones onboarding stored"

            # Kept offline, then played offline after a restart.
            press(BUTTON, "Pin for offline")
            wait_for("the scene pinned", lambda: showing(BUTTON, "Unpin from offline"), timeout=180)
            stop(app)
            app = None
            server.terminate()
            server.wait(10)
            app = start(env)
            press(BUTTON, "Scenes")
            press(BUTTON, scene["name"])
            wait_for("MPRIS Playing offline",
                     lambda: run("playerctl", "-p", "duskhaven", "status") == "Playing", timeout=60)
            wait_for("the pinned scene at the sink", lambda: loudness() > 0.02)
            print("ok: launcher end to end")
        finally:
            if app is not None:
                stop(app)


if __name__ == "__main__":
    main()
