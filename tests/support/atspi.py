"""Finds and drives an application's controls over the accessibility bus (AT-SPI), as a screen
reader or a switch user would: by role and accessible name. Debian's /usr/bin/python3 with
gir1.2-atspi-2.0; the application must register (Qt: QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1)."""
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def wait_for(what, probe, timeout=30.0, interval=0.1):
    """Polls probe() until it gives something true, and returns that; fails after timeout."""
    end = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > end:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(interval)


def application(name):
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_name() == name:
            return app
    return None


def _walk(node):
    yield node
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            yield from _walk(child)


def find(root, role, name, showing=True):
    """The first control below root with that role and name (showing ones only by default)."""
    for node in _walk(root):
        try:
            if node.get_role() != role or node.get_name() != name:
                continue
            if showing and not node.get_state_set().contains(Atspi.StateType.SHOWING):
                continue
            return node
        except gi.repository.GLib.Error:
            continue  # a control that went away while we looked
    return None


def press(node):
    """Runs the control's press action (Qt calls it "Press")."""
    for i in range(node.get_n_actions()):
        if node.get_action_name(i).lower() in ("press", "click", "activate"):
            return node.do_action(i)
    raise AssertionError(f"{node.get_name()} has no press action")


def set_value(node, value):
    return node.set_current_value(value)


def value(node):
    return node.get_current_value()
