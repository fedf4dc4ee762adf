#!/usr/bin/python3
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


def _role(name):
    """AT-SPI's role from its name as the tree prints it ("push button", "slider")."""
    return getattr(Atspi.Role, name.upper().replace(" ", "_"))


def _tree(node, depth=0):
    line = f"{'  ' * depth}{node.get_role_name()} {node.get_name()!r}"
    actions = [node.get_action_name(i) for i in range(node.get_n_actions())]
    if actions:
        line += " actions=" + ",".join(actions)
    print(line)
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            _tree(child, depth + 1)


def main(argv):
    """From a shell inside the test session:
    atspi.py tree                        every control of the app: role, name, actions
    atspi.py press ROLE NAME             do a control's press action
    atspi.py set-value ROLE NAME VALUE   set a slider's value
    ROLE is the role's name as the tree prints it ("push button", "slider")."""
    app = wait_for("the application", lambda: application("dusk-haven"), timeout=10)
    if argv[:1] == ["tree"]:
        _tree(app)
        return 0
    if len(argv) >= 3 and argv[0] in ("press", "set-value"):
        node = wait_for(f"{argv[1]} {argv[2]!r}", lambda: find(app, _role(argv[1]), argv[2]),
                        timeout=10)
        if argv[0] == "press":
            press(node)
        elif len(argv) == 4:
            set_value(node, float(argv[3]))
        else:
            print(main.__doc__)
            return 2
        return 0
    print(main.__doc__)
    return 2


if __name__ == "__main__":
    import sys
    sys.exit(main(sys.argv[1:]))
