#!/usr/bin/python3
"""The tray panel end to end, in the test session: the app on the demo catalogue, the panel
opened by a click on its tray icon, a scene card and the play/pause button pressed over the
accessibility bus; the player's state read over MPRIS and its sound at the null sink's monitor;
then the ambient pack fetched through its card and a layer's slider moved until it is heard.

    panel_e2e.py <duskhaven> <demo catalogue folder> <source folder>
"""
import array
import json
import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(sys.argv[3], "tests", "support"))
import atspi  # noqa: E402
from atspi import Atspi, press, press_node, set_value, showing, wait_for  # noqa: E402

APP, CATALOGUE, SOURCE = sys.argv[1:4]
BUTTON, SLIDER = "push button", "slider"
# The catalogue arrives over the loopback server; a lookup may wait for it.
atspi.TIMEOUT = 60


def run(*command):
    return subprocess.run(command, capture_output=True, text=True).stdout.strip()


def loudness(seconds=1.0):
    """Peak of what the default sink played during `seconds`, 0…1, from its monitor."""
    monitor = run("pactl", "get-default-sink") + ".monitor"
    raw = subprocess.run(["timeout", str(seconds), "parec", "-d", monitor, "--raw",
                          "--format=s16le", "--rate=44100", "--channels=2"],
                         capture_output=True).stdout
    samples = array.array("h", raw[: len(raw) // 2 * 2])
    return max((abs(s) for s in samples), default=0) / 32768


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
    work = tempfile.mkdtemp(prefix="panel-e2e.")
    server = subprocess.Popen([sys.executable, "-u", "-m", "http.server", "--bind", "127.0.0.1",
                               "--directory", CATALOGUE, "0"],
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    manifest_name = f"manifest-e2e-{os.getpid()}.json"
    manifest_path = os.path.join(CATALOGUE, manifest_name)
    app = None
    try:
        port = re.search(r"port (\d+)", server.stdout.readline()).group(1)
        base = f"http://127.0.0.1:{port}/"
        subprocess.run([sys.executable, os.path.join(SOURCE, "tools/demo-catalogue/generate"),
                        "--out", CATALOGUE, "--base-url", base, "--manifest", manifest_path],
                       check=True, stdout=subprocess.DEVNULL)
        with open(manifest_path) as f:
            manifest = json.load(f)
        config = os.path.join(work, "config")
        os.makedirs(os.path.join(config, "dusk-haven"))
        with open(os.path.join(config, "dusk-haven", "settings.json"), "w") as f:
            json.dump({"openLauncherOnLaunch": False}, f)
        env = dict(os.environ, XDG_CONFIG_HOME=config, XDG_DATA_HOME=os.path.join(work, "data"),
                   DUSKHAVEN_MANIFEST_URL=base + manifest_name,
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
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
        server.terminate()
        server.wait(10)
        if os.path.exists(manifest_path):
            os.remove(manifest_path)


if __name__ == "__main__":
    main()
