#!/usr/bin/python3
"""The Debian package as a user gets it: unpacked into a temporary root (dpkg-deb -x), its
executable answers --version, then, in the test session with no catalogue server answering,
it starts, shows the starter scenes it carries, plays one (heard at the null sink) and runs
the modules of the unpacked tree, not the build tree's.

    package_e2e.py <build folder> <source folder>
"""
import glob
import json
import os
import shutil
import subprocess
import sys
import tempfile

BUILD, SOURCE = sys.argv[1:3]
sys.path.insert(0, os.path.join(SOURCE, "tests", "support"))
import atspi  # noqa: E402
from atspi import press_node, wait_for  # noqa: E402
from demo_session import loudness, mpris, open_panel, running  # noqa: E402

NOTE = "Playing the built-in starter scenes"
atspi.TIMEOUT = 60


def mapped_modules(pid):
    """The app's own modules the process maps, wherever they were loaded from."""
    with open(f"/proc/{pid}/maps") as f:
        paths = {line.split()[-1] for line in f if len(line.split()) >= 6}
    return {p for p in paths if os.path.basename(p).startswith("duskhaven-")
            and p.endswith(".so")}


def shows_note():
    for node, _ in atspi.walk(atspi.app()):
        try:
            text = node.get_text_iface()
            if NOTE in (node.get_name(), text and text.get_text(0, text.get_character_count())):
                return True
        except Exception:  # a node that went away while we walked
            continue
    return False


def main():
    debs = sorted(glob.glob(os.path.join(BUILD, "dusk-haven_*.deb")), key=os.path.getmtime)
    assert debs, f"no package in {BUILD}: ./dev package makes it"
    work = tempfile.mkdtemp(prefix="duskhaven-package.")
    try:
        root = os.path.join(work, "root")
        subprocess.run(["dpkg-deb", "-x", debs[-1], root], check=True)
        app = os.path.join(root, "usr", "bin", "duskhaven")
        version = subprocess.run([app, "--version"], capture_output=True, text=True, check=True,
                                 timeout=30).stdout
        assert version.startswith("duskhaven "), version
        print(version.strip())

        config = os.path.join(work, "config")
        os.makedirs(os.path.join(config, "dusk-haven"))
        with open(os.path.join(config, "dusk-haven", "settings.json"), "w") as f:
            json.dump({"openLauncherOnLaunch": False}, f)
        # No network: the catalogue's address answers nothing.
        env = dict(os.environ, XDG_CONFIG_HOME=config, XDG_DATA_HOME=os.path.join(work, "data"),
                   DUSKHAVEN_MANIFEST_URL="http://127.0.0.1:1/manifest.json",
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        starter = os.path.join(root, "usr", "share", "dusk-haven", "starter")
        with open(os.path.join(starter, "manifest.json")) as f:
            manifest = json.load(f)

        with running([app], env) as process:
            card = open_panel(manifest)
            wait_for("the starter note", shows_note)
            press_node(card)
            wait_for("MPRIS Playing", lambda: mpris("status") == "Playing", timeout=60)
            wait_for("the starter's music at the sink", lambda: loudness() > 0.02)

            modules = mapped_modules(process.pid)
            unpacked = os.path.join(root, "usr", "lib")
            assert {os.path.basename(m) for m in modules} == \
                {"duskhaven-views.so", "duskhaven-ffmpeg.so"}, modules
            assert all(m.startswith(unpacked) for m in modules), \
                f"modules not from the package: {modules}"
            print("plays the starter scenes with", ", ".join(sorted(modules)))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
