#!/usr/bin/python3
"""The tray under the desktop shells people run, inside tools/desktop-session (a lane a shell).
GNOME Shell with its AppIndicator extension, xfce4-panel and sway with waybar draw the icon at
3:1 or more against their bar, in the light and the dark scheme where the bar follows it; the
exported menu holds what is playing and Play/Pause, whose press is heard at the null sink; a
click on the icon (the pointer on X11, Activate on sway) opens the panel or the menu; on sway
the panel floats and the launcher keeps its size. On GNOME without the extension, with no tray
at all, the launcher opens though the settings say not to, with the notice and Quit, and Quit
ends the process; a tray that comes later (the extension switched on) takes the icon without a
restart.

    desktops_e2e.py <duskhaven> <demo catalogue folder> <source folder>
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(sys.argv[3], "tests", "support"))
import atspi  # noqa: E402
import desktop_shell as shell  # noqa: E402
import sni_host  # noqa: E402
from atspi import press, showing, wait_for  # noqa: E402
from demo_session import demo_catalogue, loudness, run, tray_icon_centre  # noqa: E402

APP, CATALOGUE, SOURCE = sys.argv[1:4]
DESKTOP = shell.DESKTOP
BUTTON = "push button"
QUIET = {"openLauncherOnLaunch": False, "onboardingCompleted": True}
atspi.TIMEOUT = 30


def served_copy(work):
    """The catalogue's files in a folder of this user's, where the manifest can be written."""
    copy = os.path.join(work, "catalogue")
    os.makedirs(copy)
    for name in os.listdir(CATALOGUE):
        os.symlink(os.path.join(CATALOGUE, name), os.path.join(copy, name))
    return copy


def start_shown(env, work, dark):
    """The app started in that scheme once the bar was shot without it: (process, item, the
    icon's box on the bar)."""
    shell.set_scheme(dark)
    time.sleep(1.5)  # the bar repaints in its new colours
    before = shell.screenshot(os.path.join(work, f"{DESKTOP}-{dark}-before.png"))
    app = subprocess.Popen([APP], env=env)
    try:
        wait_for("the item on the watcher", shell.sni_items)
        item = shell.sni_items()[0]
        assert shell.sni_property(*item, "IconName") == "app.duskhaven.DuskHaven-symbolic"
        time.sleep(2)  # the bar draws the icon once it has looked its name up
        after = shell.screenshot(os.path.join(
            work, f"{DESKTOP}-{'dark' if dark else 'light'}-icon.png"))
        keep(after)
        colour, background, box = shell.icon_colours(before, after)
        ratio = shell.contrast(colour, background)
        print(f"{DESKTOP}, {'dark' if dark else 'light'}: glyph #{bytes(colour).hex()} on "
              f"#{bytes(background).hex()}, {ratio:.2f} : 1")
        assert ratio >= 3, f"the icon at {ratio:.2f} : 1 against its bar"
        return app, item, box
    except BaseException:
        stop(app)
        raise


def keep(path):
    """For the headless demo (DUSKHAVEN_DESKTOP_SHOTS): a copy of the shot."""
    if os.environ.get("DUSKHAVEN_DESKTOP_SHOTS"):
        shutil.copy(path, os.environ["DUSKHAVEN_DESKTOP_SHOTS"])


def stop(app):
    app.terminate()
    app.wait(20)


def labels(item):
    return [e["label"] for e in shell.dbusmenu_layout(*item) if e["visible"]]


def changed_below(before, after, box):
    """Whether something opened under the icon (a menu the shell draws) between two shots."""
    w, h, one = shell._pixels(before)
    _, _, two = shell._pixels(after)
    x0 = max(0, box[0] - 150)
    area = [(x, y) for x in range(x0, min(w, x0 + 300), 3) for y in range(40, 300, 3)]
    return sum(one(x, y) != two(x, y) for x, y in area) > len(area) // 10


def with_tray(env, work):
    schemes = [False] if DESKTOP == "sway" else [True, False]  # waybar keeps its own colours
    for dark in schemes[:-1]:
        stop(start_shown(env, work, dark)[0])
    app, item, box = start_shown(env, work, schemes[-1])
    try:
        # The menu: what a click opens on GNOME, and what plays there.
        assert labels(item)[:2] == ["Play", "Next Scene"], labels(item)
        sni_host.click("Play", "".join(item))
        wait_for("the menu's Play heard", lambda: loudness() > 0.02, timeout=60)
        wait_for("the menu naming the scene", lambda: labels(item)[1] == "Pause")
        assert " · " in labels(item)[0], labels(item)

        if DESKTOP == "sway":
            subprocess.run([APP], env=env, check=True)  # a second start opens the launcher
            wait_for("the launcher", lambda: shell.window_size("app.duskhaven.DuskHaven"))
            launcher = shell.window_size("app.duskhaven.DuskHaven")
            shell.activate(*item)
            wait_for("the panel floating", lambda: any(
                n.get("name") == "Dusk Haven" for n in shell.floating_nodes()))
            assert shell.window_size("app.duskhaven.DuskHaven") == launcher, launcher
            time.sleep(1)  # its first frame
            keep(shell.screenshot(os.path.join(work, f"{DESKTOP}-panel.png")))
            return
        centre = (box[0] + box[2] // 2, box[1] + box[3] // 2)
        before = shell.screenshot(os.path.join(work, f"{DESKTOP}-click-before.png"))
        run("xdotool", "mousemove", *map(str, centre), "click", "1")
        time.sleep(1.5)
        after = shell.screenshot(os.path.join(work, f"{DESKTOP}-click.png"))
        keep(after)
        assert showing(BUTTON, "Open app") or changed_below(before, after, box), \
            "a click on the icon opened neither the panel nor the menu"
        run("xdotool", "key", "Escape")
    finally:
        stop(app)


def without_tray(env, work):
    app = subprocess.Popen([APP], env=env)
    try:
        atspi.find(BUTTON, "Quit Dusk Haven")  # in the launcher, shown though kept closed
        time.sleep(1)
        keep(shell.screenshot(os.path.join(work, f"{DESKTOP}-launcher.png")))
        notices = [n for n, _ in atspi.walk(atspi.app()) if n.get_name().startswith(
            "This desktop shows no tray icons")]
        assert notices, "no notice about the missing tray"
        press(BUTTON, "Quit Dusk Haven")
        wait_for("the process ended by Quit", lambda: app.poll() is not None, timeout=20)
    finally:
        if app.poll() is None:
            app.kill()

    # A tray that comes while the app runs (the extension switched on): the icon docks without
    # a restart, and the launcher no longer offers Quit.
    app = subprocess.Popen([APP], env=env)
    try:
        atspi.find(BUTTON, "Quit Dusk Haven")
        subprocess.run(["gsettings", "set", "org.gnome.shell", "enabled-extensions",
                        "['ubuntu-appindicators@ubuntu.com']"], check=True)
        wait_for("the icon docked in the tray that came", tray_icon_centre)
        wait_for("Quit gone with the tray", lambda: not showing(BUTTON, "Quit Dusk Haven"))
    finally:
        stop(app)


def main():
    with tempfile.TemporaryDirectory(prefix="duskhaven-desktop.") as work:
        with demo_catalogue(served_copy(work), SOURCE, QUIET) as (env, _, _):
            if DESKTOP == "gnome-plain":
                without_tray(env, work)
            else:
                with_tray(env, work)
    print(f"ok: {DESKTOP}")


if __name__ == "__main__":
    main()
