#!/usr/bin/python3
"""What the tests under a real desktop shell (tools/desktop-session) look at: the screen, the
bar's tray and what it reads over D-Bus, and sway's windows. Debian's /usr/bin/python3.

    desktop_shell.py screenshot PATH          the whole screen as PNG
    desktop_shell.py contrast BEFORE AFTER    the contrast of a tray icon that appeared
    desktop_shell.py selection-owner NAME     the X window owning a selection (exit 1: none)
    desktop_shell.py items                    the watcher's items, "bus-name path" a line
    desktop_shell.py menu BUS PATH            an item's menu: enabled flag and label a line
    desktop_shell.py activate BUS PATH [X Y]  a left click on an item, as the bar does it
    desktop_shell.py floating                 sway's floating windows: app_id/class, size
    desktop_shell.py scheme light|dark        switch the shell and the apps' colour scheme

As a module: screenshot(), bar_box(), icon_colours(), icon_contrast(), selection_owner(),
sni_items(), sni_property(), activate(), dbusmenu_layout(), set_scheme(), sway_tree(),
floating_nodes(), window_size()."""
import collections
import ctypes
import json
import os
import statistics
import subprocess
import sys

import gi

gi.require_version("GdkPixbuf", "2.0")
from gi.repository import GdkPixbuf, GLib  # noqa: E402

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import sni_host  # noqa: E402

DESKTOP = os.environ.get("DUSKHAVEN_DESKTOP", "")

# Each shell's bar across the top of the 1920x1080 screen, its height as measured on the
# screenshots of tools/desktop-session: GNOME Shell's top bar, the xfce panel (size 26), waybar
# (height 30 and its 3-pixel bottom border).
BAR_HEIGHT = {"gnome": 32, "gnome-plain": 32, "xfce": 26, "sway": 30}


def screenshot(path):
    """The whole screen as a PNG at path: grim under sway (wlr-screencopy), the X root window
    otherwise, which under a compositing shell holds what the compositor drew."""
    command = (["grim", path] if DESKTOP == "sway"
               else ["import", "-window", "root", path])
    subprocess.run(command, check=True, capture_output=True)
    return path


def _pixels(path):
    image = GdkPixbuf.Pixbuf.new_from_file(path)
    data = image.get_pixels()
    stride, step = image.get_rowstride(), image.get_n_channels()

    def at(x, y):
        i = y * stride + x * step
        return data[i], data[i + 1], data[i + 2]
    return image.get_width(), image.get_height(), at


def luminance(rgb):
    """WCAG 2's relative luminance of an sRGB colour given as 0–255 channels."""
    def linear(c):
        c /= 255
        return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = map(linear, rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    """WCAG 2's contrast ratio of two colours, 1 to 21."""
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def bar_box(width=1920):
    """The bar of the running shell as (x, y, width, height)."""
    return 0, 0, width, BAR_HEIGHT.get(DESKTOP, 32)


def icon_colours(before_png, after_png, bar=None, near_x=None):
    """The glyph colour of a tray icon that appeared between two screenshots, the bar's
    colour behind it and the icon's box (x, y, width, height).

    The method: the pixels inside the bar that differ between the two shots are what the icon
    added (anti-aliased edges included, and a backdrop the bar draws behind its tray once it
    has an item, as waybar does). They are grouped by columns, a gap of more than four
    unchanged columns starting a new group, so that something else that changed on the bar
    (a clock's minute) stands apart; the icon is the group nearest near_x when given, else the
    one with the most changed pixels. The background is the colour met most often in the after
    shot over that group's box grown by four pixels (within the bar): the bar or the tray's
    backdrop right around the glyph, translucent bars included as drawn. The glyph's colour is
    taken among the group's pixels in the after shot, ranked by their contrast with the
    background: anti-aliasing only mixes the glyph with the background, so the most extreme
    pixels are the glyph itself. The median of the top tenth stands for them, so that a stray
    pixel of a highlight or an outline does not decide alone."""
    w, h, before = _pixels(before_png)
    w2, h2, after = _pixels(after_png)
    if (w, h) != (w2, h2):
        raise ValueError(f"screenshots of different sizes: {w}x{h} and {w2}x{h2}")
    bx, by, bw, bh = bar or bar_box(w)
    bx1, by1 = min(bx + bw, w), min(by + bh, h)
    changed = {}  # column -> rows whose pixel changed
    for x in range(bx, bx1):
        for y in range(by, by1):
            if max(abs(p - q) for p, q in zip(before(x, y), after(x, y))) > 8:
                changed.setdefault(x, []).append(y)
    if not changed:
        raise AssertionError("nothing changed on the bar between the two screenshots")
    groups, current = [], []
    for x in sorted(changed):
        if current and x - current[-1] > 5:
            groups.append(current)
            current = []
        current.append(x)
    groups.append(current)

    if near_x is not None:
        icon = min(groups, key=lambda g: 0 if g[0] <= near_x <= g[-1]
                   else min(abs(g[0] - near_x), abs(g[-1] - near_x)))
    else:
        icon = max(groups, key=lambda g: sum(len(changed[x]) for x in g))
    rows = [y for x in icon for y in changed[x]]
    box = (icon[0], min(rows), icon[-1] - icon[0] + 1, max(rows) - min(rows) + 1)
    around = collections.Counter(after(x, y)
                                 for x in range(max(bx, box[0] - 4), min(bx1, icon[-1] + 5))
                                 for y in range(max(by, box[1] - 4), min(by1, max(rows) + 5)))
    background = around.most_common(1)[0][0]
    glyph = sorted((after(x, y) for x in icon for y in changed[x]),
                   key=lambda rgb: contrast(rgb, background), reverse=True)
    top = glyph[:max(1, len(glyph) // 10)]
    colour = tuple(statistics.median_low(rgb[c] for rgb in top) for c in range(3))
    return colour, background, box


def icon_contrast(before_png, after_png, bar=None, near_x=None):
    """The WCAG contrast ratio between a tray icon that appeared between the two screenshots
    and the bar behind it (see icon_colours for the method)."""
    colour, background, _ = icon_colours(before_png, after_png, bar, near_x)
    return contrast(colour, background)


def selection_owner(name):
    """The X window that owns the selection (e.g. _NET_SYSTEM_TRAY_S0, the tray's), 0 for none."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XGetSelectionOwner.restype = ctypes.c_ulong
    x11.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    if not display:
        raise RuntimeError(f"cannot open the X display {os.environ.get('DISPLAY')!r}")
    try:
        return x11.XGetSelectionOwner(display, x11.XInternAtom(display, name.encode(), 0))
    finally:
        x11.XCloseDisplay(display)


def _split(item):
    # Watchers name an item by its bus name and path run together (GNOME's extension puts an
    # "@" between them), or by its bus name alone, the path then being the usual one.
    service, _, path = item.partition("/")
    return service.rstrip("@"), "/" + (path or "StatusNotifierItem")


def sni_items():
    """The items registered with the bar's StatusNotifierWatcher as (bus name, path)."""
    return [_split(item) for item in sni_host.items()]


def sni_property(bus_name, path, name):
    """A property of an item as the bar reads it: "Id", "Title", "Status", "IconName", "Menu"…"""
    return sni_host._property(bus_name, path, sni_host.ITEM_INTERFACE, name)


def activate(bus_name, path, x=0, y=0):
    """What the bar does on a left click: Activate with the pointer's position on the screen."""
    sni_host.activate(f"{bus_name}{path}", x, y)


def _label(text):
    # A dbusmenu label marks its mnemonic with "_", and "__" stands for an underscore.
    return text.replace("__", "\0").replace("_", "").replace("\0", "_")


def dbusmenu_layout(bus_name, path):
    """The menu of the item at path as a bar reads it before drawing it (AboutToShow, then
    GetLayout of the whole tree): one dict an entry, in order, with "id", "label" (the mnemonic
    mark removed), "enabled", "visible", "type" ("standard" or "separator") and "children"."""
    menu = sni_property(bus_name, path, "Menu")
    try:
        sni_host._call(bus_name, menu, sni_host.MENU_INTERFACE, "AboutToShow",
                       GLib.Variant("(i)", (0,)), "(b)")
    except GLib.Error:
        pass  # optional for an item
    _, (_, _, entries) = sni_host._call(bus_name, menu, sni_host.MENU_INTERFACE, "GetLayout",
                                        GLib.Variant("(iias)", (0, -1, [])), "(u(ia{sv}av))")

    def entry(node):
        number, properties, children = node
        return {"id": number, "label": _label(properties.get("label", "")),
                "enabled": properties.get("enabled", True),
                "visible": properties.get("visible", True),
                "type": properties.get("type", "standard"),
                "children": [entry(child) for child in children]}
    return [entry(child) for child in entries]


def set_scheme(dark):
    """Switches to the dark or light appearance as a user does in the shell's settings: the
    GNOME colour scheme that apps follow and, on xfce, the panel's own dark mode."""
    scheme = "prefer-dark" if dark else "default"
    subprocess.run(["gsettings", "set", "org.gnome.desktop.interface", "color-scheme", scheme],
                   check=True)
    if DESKTOP == "xfce":
        subprocess.run(["xfconf-query", "-c", "xfce4-panel", "-p", "/panels/dark-mode",
                        "-s", "true" if dark else "false"], check=True)


def sway_tree():
    return json.loads(subprocess.run(["swaymsg", "-r", "-t", "get_tree"], check=True,
                                     capture_output=True, text=True).stdout)


def _nodes(node, floating=False):
    yield node, floating
    for child in node.get("nodes", []):
        yield from _nodes(child, floating)
    for child in node.get("floating_nodes", []):
        yield from _nodes(child, True)


def _windows(tree):
    # A window is a node with a client: an app_id (Wayland) or X11 window properties.
    return [(n, f) for n, f in _nodes(tree) if n.get("app_id") or n.get("window_properties")]


def _name(node):
    return node.get("app_id") or node.get("window_properties", {}).get("class", "")


def floating_nodes(tree=None):
    """sway's floating windows as they are now: each node of get_tree, with "rect" (its place
    and size on the screen), "app_id" (or "window_properties" under Xwayland) and "name"."""
    return [n for n, floating in _windows(tree or sway_tree()) if floating]


def window_size(app_id, tree=None):
    """The (width, height) of the first window with this app_id (or X11 class), None for none.
    The size is the client's own ("window_rect"), without sway's title bar and border."""
    for node, _ in _windows(tree or sway_tree()):
        if _name(node) == app_id:
            rect = node["window_rect"]
            return rect["width"], rect["height"]
    return None


def main(argv):
    command, rest = (argv[0], argv[1:]) if argv else ("", [])
    if command == "screenshot" and len(rest) == 1:
        screenshot(rest[0])
    elif command == "contrast" and len(rest) == 2:
        colour, background, box = icon_colours(*rest)
        print(f"{contrast(colour, background):.2f} glyph #{bytes(colour).hex()} "
              f"background #{bytes(background).hex()} box {box}")
    elif command == "selection-owner" and len(rest) == 1:
        owner = selection_owner(rest[0])
        if not owner:
            return 1
        print(hex(owner))
    elif command == "items":
        print("\n".join(f"{service} {path}" for service, path in sni_items()))
    elif command == "menu" and len(rest) == 2:
        def show(entries, depth=0):
            for e in entries:
                mark = "-" if e["type"] == "separator" else ("+" if e["enabled"] else " ")
                print(f"{'  ' * depth}{mark} {e['label']}")
                show(e["children"], depth + 1)
        show(dbusmenu_layout(*rest))
    elif command == "activate" and len(rest) in (2, 4):
        activate(rest[0], rest[1], *map(int, rest[2:]))
    elif command == "floating":
        for node in floating_nodes():
            print(f"{_name(node)} {node['window_rect']['width']}x{node['window_rect']['height']}")
    elif command == "scheme" and rest in (["light"], ["dark"]):
        set_scheme(rest[0] == "dark")
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
