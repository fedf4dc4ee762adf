#!/usr/bin/python3
"""The work of bench/soak.sh (read its usage there): an accelerated day of listening on the
demo catalogue, with the app's memory and descriptors sampled every minute.

    soak.py [minutes]
"""
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.parse
from collections import Counter

import dbus

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.environ.get("BUILD_DIR", os.path.join(ROOT, "build"))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
from demo_session import demo_catalogue, loudness  # noqa: E402

NAME = "org.mpris.MediaPlayer2.duskhaven"
OBJECT = "/org/mpris/MediaPlayer2"
PLAYER = "org.mpris.MediaPlayer2.Player"
# A call the app does not answer in this time counts as failed and the day goes on: a busy
# app may miss one, but the soak must never wait on it.
CALL_TIMEOUT = 5.0
# Seconds before the start figure: the catalogue, caches and first streams settle.
WARMUP = float(os.environ.get("SOAK_WARMUP", "300"))
SAMPLE_EVERY = 60
# Seconds between the day's events.
EVERY = {"next": 2, "pause": 30, "scene": 20, "layers": 15,
         "restart": float(os.environ.get("SOAK_RESTART_EVERY", "240")), "sample": SAMPLE_EVERY}
GOAL_GROWTH_MB = 5.0
HEARD = 0.002  # peak at the sink above which something sounded (digital silence is 0)


class SoakError(Exception):
    pass


def say(text):
    print(text, flush=True)


def pactl(*args, timeout=10):
    try:
        return subprocess.run(["pactl", *args], capture_output=True, text=True,
                              timeout=timeout)
    except subprocess.TimeoutExpired:
        return subprocess.CompletedProcess(args, 124, "", "")


class Mpris:
    """MPRIS calls with a bounded wait, counted; failures are kept by method and error."""

    def __init__(self):
        self.bus = dbus.SessionBus()
        self.calls = 0
        self.failures = Counter()

    def call(self, method, signature="", *args, interface=PLAYER):
        self.calls += 1
        try:
            self.bus.call_blocking(NAME, OBJECT, interface, method, signature, args,
                                   timeout=CALL_TIMEOUT)
            return True
        except dbus.exceptions.DBusException as error:
            self.failures[f"{method}: {error.get_dbus_name()}"] += 1
            return False

    def open(self, uri):
        return self.call("OpenUri", "s", uri)

    def answers(self):
        return self.call("Get", "ss", PLAYER, "PlaybackStatus",
                         interface="org.freedesktop.DBus.Properties")

    def owned(self):
        try:
            return bool(self.bus.name_has_owner(NAME))
        except dbus.exceptions.DBusException:
            return False


def proc_args(pid, name):
    with open(f"/proc/{pid}/{name}", "rb") as f:
        return [part.decode() for part in f.read().split(b"\0")[:-1]]


def gone(pid):
    """True once the process has ended: no longer there, or a zombie its parent has yet to
    reap (which kill(0) still reaches)."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()[0] == "Z"
    except OSError:
        return True


class SoundServer:
    """Restarts the session's PulseAudio as it was started: the same command line (which
    loads the null sink and the socket module), environment and folder, then the same
    default sink. The first restart replaces the session's own server, later ones ours."""

    def __init__(self, log):
        self.log = log
        self.child = None
        self.restarts = 0

    def running_pid(self):
        if self.child:
            return self.child.pid
        socket = os.path.join(os.environ["PULSE_RUNTIME_PATH"], "native")
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                argv = proc_args(entry, "cmdline")
            except OSError:
                continue
            if argv and os.path.basename(argv[0]) == "pulseaudio" and \
                    any(socket in arg for arg in argv):
                return int(entry)
        raise SoakError(f"no sound server of this session (socket {socket}) was found")

    def restart(self):
        pid = self.running_pid()
        argv = proc_args(pid, "cmdline")
        env = dict(item.split("=", 1) for item in proc_args(pid, "environ") if "=" in item)
        exe = os.readlink(f"/proc/{pid}/exe")
        cwd = os.readlink(f"/proc/{pid}/cwd")
        sink = pactl("get-default-sink").stdout.strip()
        os.kill(pid, signal.SIGTERM)
        deadline = time.monotonic() + 10
        while not gone(pid) and time.monotonic() < deadline:
            time.sleep(0.05)
        if not gone(pid):
            os.kill(pid, signal.SIGKILL)
        if self.child:
            self.child.wait()
        with open(self.log, "a") as log:
            self.child = subprocess.Popen(argv, executable=exe, env=env, cwd=cwd, stdout=log,
                                          stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        deadline = time.monotonic() + 30
        while pactl("info", timeout=5).returncode != 0:
            if self.child.poll() is not None or time.monotonic() > deadline:
                raise SoakError(f"the sound server did not come back (see {self.log})")
            time.sleep(0.1)
        if sink:
            pactl("set-default-sink", sink)
        self.restarts += 1

    def stop(self):
        if self.child and self.child.poll() is None:
            self.child.terminate()
            try:
                self.child.wait(10)
            except subprocess.TimeoutExpired:
                self.child.kill()
                self.child.wait()


def sample(pid):
    """(RSS in kB, open descriptors), or None once the process has gone."""
    try:
        with open(f"/proc/{pid}/status") as f:
            rss = next(int(line.split()[1]) for line in f if line.startswith("VmRSS:"))
        return rss, len(os.listdir(f"/proc/{pid}/fd"))
    except (OSError, StopIteration):
        return None


def app_streams(pid):
    out = pactl("list", "sink-inputs").stdout
    return out.count(f'application.process.id = "{pid}"')


def scene_address(scene):
    return "dusk-haven://scene/" + urllib.parse.quote(scene, safe="")


class Day:
    def __init__(self, app, mpris, sound, manifest, minutes):
        self.app, self.mpris, self.sound = app, mpris, sound
        self.end = minutes * 60
        self.rng = random.Random(1)
        self.scenes = [p["id"] for p in manifest["playlists"]]
        self.layers = [layer["id"] for layer in manifest["ambientLayers"]]
        self.scene = self.scenes[0]
        self.rows = []
        self.probes = []
        self.restarted = None  # when the last restart began, until the app's stream is back
        self.back_after = []

    def mix_link(self):
        query = {"scene": self.scene, "music": "%.3f" % self.rng.uniform(0.4, 0.9)}
        for layer in self.rng.sample(self.layers, self.rng.randint(1, 3)):
            query["layer." + layer] = "%.3f" % self.rng.uniform(0.1, 0.7)
        return "dusk-haven://mix?" + urllib.parse.urlencode(query, quote_via=urllib.parse.quote)

    def do(self, event, at):
        if event == "next":
            self.mpris.call("Next")
        elif event == "pause":
            self.mpris.call("Pause")
            time.sleep(1)
            self.mpris.call("Play")
        elif event == "scene":
            self.scene = self.rng.choice([s for s in self.scenes if s != self.scene])
            self.mpris.open(scene_address(self.scene))
        elif event == "layers":
            self.mpris.open(self.mix_link())
        elif event == "restart":
            self.restarted = time.monotonic()
            self.sound.restart()
        elif event == "sample":
            self.record(at)

    def record(self, at):
        got = sample(self.app.pid)
        if got is None:
            return
        row = (at / 60, got[0] / 1024, got[1], self.sound.restarts, self.mpris.calls,
               sum(self.mpris.failures.values()))
        if not self.rows:
            say(" minute   RSS MB   fds  restarts  MPRIS calls  failed")
        say("%7.1f %8.1f %5d %9d %12d %7d" % row)
        self.rows.append(row)

    def run(self, t0):
        due = {event: every for event, every in EVERY.items() if every > 0}
        due["sample"] = WARMUP
        while self.app.poll() is None:
            now = time.monotonic() - t0
            if now >= self.end:
                break
            for event in sorted(due, key=due.get):
                if due[event] > now:
                    continue
                self.do(event, due[event])
                # An event late by more than its period (a slow restart) is not caught up.
                due[event] += EVERY[event]
                now = time.monotonic() - t0
                if due[event] <= now:
                    due[event] = now + EVERY[event]
            if self.restarted is not None and app_streams(self.app.pid):
                self.back_after.append(time.monotonic() - self.restarted)
                self.restarted = None
            wait = min(min(due.values()), self.end) - (time.monotonic() - t0)
            if now >= self.end - 60 and wait > 1.2 and self.app.poll() is None:
                self.probes.append(loudness(1.0))
                continue
            time.sleep(max(0.0, wait))
        if self.app.poll() is None:
            self.record(time.monotonic() - t0)


def ended(status):
    return f"killed by signal {-status}" if status < 0 else f"exit status {status}"


def summary(day, mpris, app, answered, streams):
    alive = app.poll() is None
    say("")
    if len(day.rows) >= 2:
        (_, rss0, fds0, *_), (_, rss1, fds1, *_) = day.rows[0], day.rows[-1]
        growth, fd_growth = rss1 - rss0, fds1 - fds0
        say(f"RSS start {rss0:.1f} MB, end {rss1:.1f} MB, growth {growth:+.1f} MB")
        say(f"fds start {fds0}, end {fds1}, growth {fd_growth:+d}")
        say("RSS range %.1f to %.1f MB, fds %d to %d" % (
            min(r[1] for r in day.rows), max(r[1] for r in day.rows),
            min(r[2] for r in day.rows), max(r[2] for r in day.rows)))
        met = growth <= GOAL_GROWTH_MB and fd_growth <= 0
        say(f"goal (growth <= {GOAL_GROWTH_MB:g} MB, no descriptor growth): "
            + ("met" if met else "NOT met"))
    else:
        say("RSS and fds: too few samples for start and end figures")
    back = ", ".join("%.1f s" % s for s in day.back_after)
    say(f"sound-server restarts: {day.sound.restarts}; the app's stream came back after "
        f"{len(day.back_after)} of them" + (f" ({back} from the kill)" if back else ""))
    say(f"MPRIS calls: {mpris.calls}, failed {sum(mpris.failures.values())}")
    for failure, count in mpris.failures.most_common():
        say(f"  {count:5d} × {failure}")
    heard = sum(peak > HEARD for peak in day.probes)
    say(f"sound in the last minute: {'yes' if heard else 'no'} "
        f"(heard in {heard} of {len(day.probes)} one-second probes; "
        f"app streams at the sink at the end: {streams})")
    say(f"alive: {'yes' if alive else 'no (' + ended(app.returncode) + ')'}; "
        f"answers MPRIS: {'yes' if answered else 'no'}")
    log = os.path.join(BUILD, "soak-app.log")
    say(f"app log: {log}")
    if not alive:
        with open(log, errors="replace") as f:
            say("".join(f.readlines()[-15:]).rstrip())
    return alive and answered


def soak(minutes, work):
    app = None
    sound = SoundServer(os.path.join(work, "pulseaudio.log"))
    settings = {"openLauncherOnLaunch": False, "onboardingCompleted": True}
    try:
        with demo_catalogue(os.path.join(BUILD, "demo-catalogue"), ROOT, settings) as \
                (env, manifest, _):
            env = dict(env, HOME=work, XDG_CACHE_HOME=os.path.join(work, "cache"),
                       XDG_STATE_HOME=os.path.join(work, "state"))
            with open(os.path.join(BUILD, "soak-app.log"), "w") as log:
                app = subprocess.Popen([os.path.join(BUILD, "src", "duskhaven")], env=env,
                                       stdout=log, stderr=subprocess.STDOUT,
                                       stdin=subprocess.DEVNULL)
            mpris = Mpris()
            deadline = time.monotonic() + 60
            while not mpris.owned():
                if app.poll() is not None or time.monotonic() > deadline:
                    raise SoakError(f"the app never took {NAME}")
                time.sleep(0.1)
            day = Day(app, mpris, sound, manifest, minutes)
            # The catalogue may still be on its way: the first scene is asked for until taken.
            deadline = time.monotonic() + 60
            while not mpris.open(scene_address(day.scene)):
                if app.poll() is not None or time.monotonic() > deadline:
                    break
                time.sleep(1)
            say(f"soak: {minutes:g} min, sound server restarted every "
                f"{EVERY['restart']:g} s, app pid {app.pid}")
            day.run(time.monotonic())
            alive = app.poll() is None
            answered = alive and mpris.answers()
            streams = app_streams(app.pid) if alive else 0
            return summary(day, mpris, app, answered, streams)
    finally:
        if app and app.poll() is None:
            app.terminate()
            try:
                app.wait(10)
            except subprocess.TimeoutExpired:
                app.kill()
                app.wait()
        sound.stop()


def main():
    minutes = float(sys.argv[1]) if len(sys.argv) > 1 else 20.0
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    work = tempfile.mkdtemp(prefix="soak.")
    try:
        ok = soak(minutes, work)
    except SoakError as error:
        print(f"soak: {error}", file=sys.stderr)
        sys.exit(2)
    except KeyboardInterrupt:
        sys.exit(130)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
