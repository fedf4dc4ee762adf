#!/usr/bin/python3
"""The launcher end to end, in the test session: a first run on the demo catalogue shows
onboarding, and nothing of the launcher behind it is on the accessibility bus; two scenes are
picked and Continue pressed over the bus, and the stored favourites and the player's agree;
Play, the first press of a first run, is heard at the null sink; that scene, whose video
answers 404, shows its illustration rather than black; the mixer popover lies inside the window
at its first size and at its smallest; resting the pointer on an icon-only button shows its
name; a tile of the drawer is pressed and heard; it is kept offline with the pin button; then,
with the catalogue server stopped, the app is started again and plays that scene from the
drawer.

    launcher_e2e.py <duskhaven> <demo catalogue folder> <source folder>
"""
import json
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(sys.argv[3], "tests", "support"))
import atspi  # noqa: E402
from atspi import Atspi, press, showing, wait_for  # noqa: E402
from demo_session import demo_catalogue, loudness, mpris, run, running  # noqa: E402

APP, CATALOGUE, SOURCE = sys.argv[1:4]
BUTTON = "push button"
atspi.TIMEOUT = 60


def launcher_window():
    return run("xdotool", "search", "--onlyvisible", "--name", "^dusk-haven$").split()[0]


def centre_brightness():
    """Mean brightness (0…255) of the middle of the launcher window, from a screenshot."""
    shot = subprocess.run(["import", "-window", launcher_window(), "-depth", "8", "ppm:-"],
                          capture_output=True).stdout
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", shot)
    if not header:
        return 0
    width, height, pixels = int(header[1]), int(header[2]), shot[header.end():]
    values = [pixels[(y * width + x) * 3 + c] for y in range(height // 2 - 40, height // 2 + 40)
              for x in range(width // 2 - 40, width // 2 + 40) for c in range(3)]
    return sum(values) / len(values)


def on_bus(role, name):
    """Whether such a node is on the bus at all, shown or not."""
    for node, _ in atspi.walk(atspi.app()):
        try:
            if node.get_role_name() == role and node.get_name() == name:
                return True
        except Exception:  # a node that went away while we walked
            continue
    return False


def extents(node):
    node.clear_cache()
    box = node.get_component_iface().get_extents(Atspi.CoordType.SCREEN)
    return box.x, box.y, box.x + box.width, box.y + box.height


def popover_inside_at(width, height):
    """Sizes the launcher as a user would and opens the mixer popover; returns both extents
    once the popover lies inside the window, or fails with them."""
    run("xdotool", "windowsize", launcher_window(), str(width), str(height))
    frame = atspi.find("frame", "dusk-haven")

    def sized():
        left, top, right, bottom = extents(frame)
        return (right - left, bottom - top) == (width, height)
    wait_for(f"the launcher at {width}×{height}", sized)
    press(BUTTON, "Ambient Mixer")
    popover = atspi.find("dialog", "Ambient Mixer")
    try:
        wait_for("the popover inside the window", lambda: (
            (w := extents(frame)) and (p := extents(popover)) and
            w[0] <= p[0] and w[1] <= p[1] and p[2] <= w[2] and p[3] <= w[3]), timeout=10)
    finally:
        print(f"{width}×{height}: window {extents(frame)}, popover {extents(popover)}")
        press(BUTTON, "Ambient Mixer")


def main():
    with demo_catalogue(CATALOGUE, SOURCE) as (env, manifest, server):
        settings = os.path.join(env["XDG_CONFIG_HOME"], "dusk-haven", "settings.json")
        scenes = manifest["playlists"]
        # The scene shown first gets a video that cannot be fetched.
        base, name = env["DUSKHAVEN_MANIFEST_URL"].rsplit("/", 1)
        assert "sceneArt" in scenes[0]
        scenes[0]["videoLoop"] = base + "/video/no-such-loop.mp4"
        with open(os.path.join(CATALOGUE, name), "w") as f:
            json.dump(manifest, f)

        # A first run: the launcher opens with onboarding, and a screen reader meets
        # nothing else until it ends.
        with running([APP], env):
            atspi.find(BUTTON, "Get started →")
            for name in ("Play", "Scenes", "Ambient Mixer", "Settings", "Favourite"):
                assert not on_bus(BUTTON, name), f"{name} is on the bus behind onboarding"
            press(BUTTON, "Get started →")
            picked = scenes[:2]
            for scene in picked:
                press(BUTTON, scene["name"])
            press(BUTTON, "Continue →")
            wanted = json.dumps(sorted(s["id"] for s in picked), separators=(",", ":"))
            wait_for("the favourites stored",
                     lambda: json.load(open(settings)).get("favoriteSceneIds") == wanted)

            # Play, the first press of a first run, plays the scene shown.
            press(BUTTON, "Play")
            wait_for("MPRIS Playing at first", lambda: mpris("status") == "Playing", timeout=60)
            wait_for("the first play at the sink", lambda: loudness() > 0.02)
            wait_for("the illustration in place of the failed video",
                     lambda: centre_brightness() > 20)
            # Docks group the window with the desktop file's entry by the window's class.
            wm_class = json.loads("[%s]" % run("xprop", "-id", launcher_window(),
                                                "WM_CLASS").split("=", 1)[1])
            entry = open(os.path.join(SOURCE, "resources", "app.duskhaven.DuskHaven.desktop")).read()
            assert re.search(r"^StartupWMClass=(.*)$", entry, re.M)[1] == wm_class[1], wm_class

            # The mixer popover, by the right edge, stays inside the window.
            popover_inside_at(1280, 720)
            popover_inside_at(880, 495)

            # An icon-only button says its name when the pointer rests on it.
            left, top, right, bottom = extents(atspi.find(BUTTON, "Settings"))
            run("xdotool", "mousemove", str((left + right) // 2), str((top + bottom) // 2))
            atspi.find("tool tip", "Settings")
            run("xdotool", "mousemove", "0", "0")

            # The drawer: a tile pressed plays its scene at once; the player counts it a favourite.
            press(BUTTON, "Scenes")
            scene = picked[1]
            press(BUTTON, scene["name"])
            wait_for("MPRIS Playing", lambda: mpris("status") == "Playing", timeout=60)
            wait_for("the scene at the sink", lambda: loudness() > 0.02)
            heart = atspi.find(BUTTON, "Favourite")
            assert heart.get_state_set().contains(Atspi.StateType.CHECKED), \
                "the player's favourites are the ones onboarding stored"

            # Kept offline, then played offline after a restart.
            press(BUTTON, "Pin for offline")
            wait_for("the scene pinned", lambda: showing(BUTTON, "Unpin from offline"), timeout=180)
        server.terminate()
        server.wait(10)
        with running([APP], env):
            press(BUTTON, "Scenes")
            press(BUTTON, scene["name"])
            wait_for("MPRIS Playing offline", lambda: mpris("status") == "Playing", timeout=60)
            wait_for("the pinned scene at the sink", lambda: loudness() > 0.02)
    print("ok: launcher end to end")


if __name__ == "__main__":
    main()
