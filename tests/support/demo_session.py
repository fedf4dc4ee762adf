"""What the end-to-end tests share: the demo catalogue served on a free loopback port with a
manifest of their own, the app's environment in private folders, and what the null sink plays.
Debian's /usr/bin/python3, inside the test session."""
import array
import contextlib
import json
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import threading
import time


def run(*command):
    return subprocess.run(command, capture_output=True, text=True).stdout.strip()


def mpris(*arguments):
    """playerctl on the app's player: its answer, as `run` gives it."""
    return run("playerctl", "-p", "duskhaven", *arguments)


def tray_icon_centre(instance="duskhaven"):
    """The icon window under the tray host of the program whose WM_CLASS names `instance`
    (the app's by default), from xwininfo, as a user sees it."""
    for line in run("xwininfo", "-root", "-tree").splitlines():
        match = re.search(rf'\("{re.escape(instance)}" "[^"]*"\)'
                          r'\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)', line)
        if match:
            w, h, x, y = map(int, match.groups())
            if 8 <= w <= 64 and 8 <= h <= 64 and (x, y) != (0, 0):
                return x + w // 2, y + h // 2
    return None


def open_panel(manifest, offered=1):
    """Opens the panel as a user does, with a click on the tray icon, and returns the card of
    the scene `offered` (an index into the catalogue's scenes, not the one displayed), which
    the panel shows once the catalogue is here."""
    import atspi
    x, y = atspi.wait_for("the tray icon", tray_icon_centre)
    atspi.app()
    run("xdotool", "mousemove", str(x), str(y), "click", "1")
    return atspi.find("push button", manifest["playlists"][offered]["name"])


def loudness(seconds=1.0):
    """Peak of `seconds` of what the default sink plays, 0…1, from its monitor."""
    monitor = run("pactl", "get-default-sink") + ".monitor"
    # Asked for a short latency: pipewire-pulse otherwise passes a recording on in blocks of
    # two seconds. Read until `seconds` of sound arrived, however slowly the recorder starts on
    # a busy machine.
    wanted = int(seconds * 44100) * 2 * 2
    recorder = subprocess.Popen(["parec", "-d", monitor, "--raw", "--latency-msec=20",
                                 "--format=s16le", "--rate=44100", "--channels=2"],
                                stdout=subprocess.PIPE)
    raw = b""
    deadline = time.monotonic() + seconds + 10
    try:
        while len(raw) < wanted and time.monotonic() < deadline:
            if select.select([recorder.stdout], [], [], 0.1)[0]:
                chunk = os.read(recorder.stdout.fileno(), 65536)
                if not chunk:
                    break
                raw += chunk
    finally:
        recorder.terminate()
        recorder.wait(5)
    # Silence is quiet samples, not a recording that never arrived.
    assert len(raw) >= wanted, f"{monitor} passed on {len(raw) // 4} frames, not {wanted // 4}"
    samples = array.array("h", raw[:wanted])
    return max(abs(s) for s in samples) / 32768


@contextlib.contextmanager
def running(command, env):
    """The process of `command`, stopped when the block ends; it must still run by then."""
    process = subprocess.Popen(command, env=env)
    try:
        yield process
        assert process.poll() is None, f"{command[0]} ended with {process.returncode}"
    finally:
        if process.poll() is None:
            process.terminate()
            process.wait(10)


@contextlib.contextmanager
def demo_catalogue(catalogue, source, settings=None):
    """Serves the demo catalogue and yields (env, manifest, server): the app's environment with
    its own XDG folders (settings.json written from `settings` when given), the manifest as
    JSON and the server process, which a test may stop to go offline."""
    work = tempfile.mkdtemp(prefix="duskhaven-e2e.")
    server = subprocess.Popen([sys.executable, "-u", "-m", "http.server", "--bind", "127.0.0.1",
                               "--directory", catalogue, "0"],
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    manifest_name = f"manifest-e2e-{os.getpid()}.json"
    manifest_path = os.path.join(catalogue, manifest_name)
    try:
        port = re.search(r"port (\d+)", server.stdout.readline()).group(1)
        # The server logs every request; unread, a long run would fill the pipe and stall it.
        threading.Thread(target=server.stdout.read, daemon=True).start()
        base = f"http://127.0.0.1:{port}/"
        subprocess.run([sys.executable, os.path.join(source, "tools/demo-catalogue/generate"),
                        "--out", catalogue, "--base-url", base, "--manifest", manifest_path],
                       check=True, stdout=subprocess.DEVNULL)
        with open(manifest_path) as f:
            manifest = json.load(f)
        config = os.path.join(work, "config")
        if settings is not None:
            os.makedirs(os.path.join(config, "dusk-haven"))
            with open(os.path.join(config, "dusk-haven", "settings.json"), "w") as f:
                json.dump(settings, f)
        env = dict(os.environ, XDG_CONFIG_HOME=config, XDG_DATA_HOME=os.path.join(work, "data"),
                   DUSKHAVEN_MANIFEST_URL=base + manifest_name,
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        yield env, manifest, server
    finally:
        if server.poll() is None:
            server.terminate()
            server.wait(10)
        if os.path.exists(manifest_path):
            os.remove(manifest_path)
        shutil.rmtree(work, ignore_errors=True)
