#!/usr/bin/python3
"""Finds and drives the app's controls over the accessibility bus (AT-SPI), as an assistive
tool or a keyboard-only user would: by role and accessible name, never by position.

As a module: app(), find(), press(), set_value(), value(). As a command, inside the test
session:
    atspi.py tree [APP]                       every node: role, name, actions, value
    atspi.py press ROLE NAME [APP]            do the control's press action
    atspi.py set-value ROLE NAME VALUE [APP]  set a slider's (or other value's) current value
    atspi.py value ROLE NAME [APP]            print the current value
    atspi.py wait ROLE NAME [APP]             wait until such a control shows
    atspi.py focus ROLE NAME [APP]            move the focus to a control scrolled out of
                                              view, as a screen reader does (the app then
                                              brings it into view)
    atspi.py focus-press ROLE NAME [APP]      focus, then press the same control
ROLE is AT-SPI's role name ("push button", "slider", "check box", "toggle button", "text").
Each lookup waits up to ATSPI_TIMEOUT seconds (default 10). Exit 1 when nothing matches."""
import os
import sys
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

# The *_iface accessors are the ones every Debian 12 build has; newer names come later.
warnings.filterwarnings("ignore", category=DeprecationWarning)

DEFAULT_APP = "dusk-haven"
TIMEOUT = float(os.environ.get("ATSPI_TIMEOUT", "10"))


class NotFound(Exception):
    pass


def _children(node):
    try:
        count = node.get_child_count()
    except Exception:  # a node that went away while we walked
        return
    for i in range(count):
        try:
            child = node.get_child_at_index(i)
        except Exception:
            continue
        if child is not None:
            yield child


def walk(node, depth=0):
    yield node, depth
    for child in _children(node):
        yield from walk(child, depth + 1)


def _poll(look, what):
    deadline = time.monotonic() + TIMEOUT
    while True:
        found = look()
        if found is not None:
            return found
        if time.monotonic() > deadline:
            raise NotFound(what)
        time.sleep(0.1)


def app(name=DEFAULT_APP):
    """The application's root node on the accessibility bus."""
    def look():
        desktop = Atspi.get_desktop(0)
        for child in _children(desktop):
            try:
                if child.get_name() == name:
                    return child
            except Exception:
                continue
        return None
    return _poll(look, f"application {name!r}")


def _matches(node, role, name, state=Atspi.StateType.SHOWING):
    try:
        if node.get_role_name() != role or node.get_name() != name:
            return False
        # A cached state set misses changes the app sends no event for (scrolling into view).
        node.clear_cache()
        return node.get_state_set().contains(state)
    except Exception:
        return False


def wait_for(what, probe, timeout=30.0, interval=0.1):
    """Polls probe() until it gives something true, and returns that; fails after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        found = probe()
        if found:
            return found
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(interval)


def showing(role, name, app_name=DEFAULT_APP):
    """The showing node with this role and name at this moment; None without waiting."""
    for node, _ in walk(app(app_name)):
        if _matches(node, role, name):
            return node
    return None


def find(role, name, root=None, app_name=DEFAULT_APP, state=Atspi.StateType.SHOWING):
    """The first showing (or other state's) node with this role and name."""
    def look():
        top = root if root is not None else app(app_name)
        for node, _ in walk(top):
            if _matches(node, role, name, state):
                return node
        return None
    return _poll(look, f"{role} {name!r}")


def actions(node):
    iface = node.get_action_iface()
    if iface is None:
        return []
    return [iface.get_action_name(i) for i in range(iface.get_n_actions())]


def press(role, name, **kw):
    return _press(find(role, name, **kw), role, name)


def press_node(node):
    return _press(node, node.get_role_name(), node.get_name())


def _press(node, role, name):
    names = [a.lower() for a in actions(node)]
    for wanted in ("press", "click", "toggle", "activate"):
        if wanted in names:
            node.get_action_iface().do_action(names.index(wanted))
            return node
    raise NotFound(f"{role} {name!r} has no press action (it has {names})")


def focus(role, name, **kw):
    """Gives the focus to a control even when it is scrolled out of view (Qt then reports it
    neither visible nor showing)."""
    node = find(role, name, state=Atspi.StateType.FOCUSABLE, **kw)
    names = [a.lower() for a in actions(node)]
    if "setfocus" not in names:
        raise NotFound(f"{role} {name!r} cannot take the focus (it has {names})")
    node.get_action_iface().do_action(names.index("setfocus"))

    return _poll(lambda: node if _matches(node, role, name) else None, f"{role} {name!r} in view")


def _value_iface(role, name, **kw):
    iface = find(role, name, **kw).get_value_iface()
    if iface is None:
        raise NotFound(f"{role} {name!r} has no value")
    return iface


def set_value(role, name, value, **kw):
    _value_iface(role, name, **kw).set_current_value(float(value))


def value(role, name, **kw):
    return _value_iface(role, name, **kw).get_current_value()


def describe(node):
    parts = [node.get_role_name(), repr(node.get_name())]
    acts = actions(node)
    if acts:
        parts.append("actions=" + ",".join(acts))
    iface = node.get_value_iface()
    if iface is not None:
        parts.append(f"value={iface.get_current_value():g} "
                     f"[{iface.get_minimum_value():g}..{iface.get_maximum_value():g}]")
    return " ".join(parts)


# Each command: how many arguments it needs before the optional APP, and what it does.
COMMANDS = {
    "press": (2, press),
    "set-value": (3, set_value),
    "value": (2, lambda role, name, **kw: print(f"{value(role, name, **kw):g}")),
    "focus": (2, focus),
    "focus-press": (2, lambda role, name, **kw: _press(focus(role, name, **kw), role, name)),
    "wait": (2, find),
}


def main(argv):
    command, rest = (argv or [""])[0], argv[1:]
    needed, run = COMMANDS.get(command, (None, None))
    if command != "tree" and (needed is None or len(rest) < needed):
        print(__doc__, file=sys.stderr)
        return 2
    try:
        if command == "tree":
            for node, depth in walk(app(*rest[:1])):
                print("  " * depth + describe(node))
        else:
            run(*rest[:needed], app_name=(rest[needed:] or [DEFAULT_APP])[0])
    except NotFound as error:
        print(f"atspi: not found: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
