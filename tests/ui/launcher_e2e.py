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
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(sys.argv[3], "tests", "support"))
sys.path.insert(0, os.path.join(sys.argv[3], "tests", "ui"))
import atspi  # noqa: E402
from atspi import Atspi, find, press, wait_for  # noqa: E402
from panel_e2e import loudness, run  # noqa: E402

APP, CATALOGUE, SOURCE = sys.argv[1:4]
BUTTON = Atspi.Role.PUSH_BUTTON


def start(env):
    app = subprocess.Popen([APP], env=env)
    me = wait_for("the app on the accessibility bus", lambda: atspi.application("dusk-haven"))
    return app, me


def stop(app):
    app.terminate()
    app.wait(10)


def main():
    work = tempfile.mkdtemp(prefix="launcher-e2e.")
    server = subprocess.Popen([sys.executable, "-u", "-m", "http.server", "--bind", "127.0.0.1",
                               "--directory", CATALOGUE, "0"],
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    manifest_name = f"manifest-launcher-e2e-{os.getpid()}.json"
    manifest_path = os.path.join(CATALOGUE, manifest_name)
    app = None
    try:
        port = re.search(r"port (\d+)", server.stdout.readline()).group(1)
        base = f"http://127.0.0.1:{port}/"
        subprocess.run([sys.executable, os.path.join(SOURCE, "tools/demo-catalogue/generate"),
                        "--out", CATALOGUE, "--base-url", base, "--manifest", manifest_path],
                       check=True, stdout=subprocess.DEVNULL)
        with open(manifest_path) as f:
            scenes = json.load(f)["playlists"]
        config = os.path.join(work, "config")
        env = dict(os.environ, XDG_CONFIG_HOME=config, XDG_DATA_HOME=os.path.join(work, "data"),
                   DUSKHAVEN_MANIFEST_URL=base + manifest_name,
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        settings = os.path.join(config, "dusk-haven", "settings.json")

        # A first run: the launcher opens with onboarding.
        app, me = start(env)
        press(wait_for("Get started", lambda: find(me, BUTTON, "Get started →")))
        picked = scenes[:2]
        for scene in picked:
            press(wait_for(scene["name"], lambda: find(me, BUTTON, scene["name"])))
        press(wait_for("Continue", lambda: find(me, BUTTON, "Continue →")))
        wanted = json.dumps(sorted(s["id"] for s in picked), separators=(",", ":"))
        wait_for("the favourites stored",
                 lambda: json.load(open(settings)).get("favoriteSceneIds") == wanted)

        # The drawer: a tile pressed plays its scene at once; the player counts it a favourite.
        press(wait_for("the Scenes pill", lambda: find(me, BUTTON, "Scenes")))
        scene = picked[1]
        press(wait_for(f"the {scene['name']} tile", lambda: find(me, BUTTON, scene["name"])))
        wait_for("MPRIS Playing", lambda: run("playerctl", "-p", "duskhaven", "status") == "Playing",
                 timeout=60)
        wait_for("the scene at the sink", lambda: loudness() > 0.02)
        heart = find(me, BUTTON, "Favourite")
        assert heart.get_state_set().contains(Atspi.StateType.CHECKED), \
            "the player's favourites are the ones onboarding stored"

        # Kept offline, then played offline after a restart.
        press(wait_for("the pin button", lambda: find(me, BUTTON, "Pin for offline")))
        wait_for("the scene pinned", lambda: find(me, BUTTON, "Unpin from offline"), timeout=180)
        stop(app)
        app = None
        server.terminate()
        server.wait(10)
        app, me = start(env)
        press(wait_for("the Scenes pill", lambda: find(me, BUTTON, "Scenes")))
        press(wait_for(f"the {scene['name']} tile", lambda: find(me, BUTTON, scene["name"])))
        wait_for("MPRIS Playing offline",
                 lambda: run("playerctl", "-p", "duskhaven", "status") == "Playing", timeout=60)
        wait_for("the pinned scene at the sink", lambda: loudness() > 0.02)
        print("ok: launcher end to end")
    finally:
        if app is not None:
            stop(app)
        if server.poll() is None:
            server.terminate()
            server.wait(10)
        if os.path.exists(manifest_path):
            os.remove(manifest_path)


if __name__ == "__main__":
    main()
