#!/usr/bin/python3
"""A StatusNotifier host as the desktops' trays are one (KDE, GNOME's AppIndicator extension,
waybar), standing in for them on the test session's bus: it owns
org.kde.StatusNotifierWatcher, says a host is present, records the items that register and
forgets those whose owner leaves. What a real host draws and clicks it does over D-Bus too:
it calls an item's Activate and SecondaryActivate and reads the menu the item exports
(com.canonical.dbusmenu).

    sni_host.py serve                  run the watcher until terminated
    sni_host.py items                  the registered items, one a line ("bus-name/path")
    sni_host.py activate [ITEM]        Activate(0, 0) on the item (the only one when not given)
    sni_host.py secondary-activate [ITEM]
    sni_host.py menu [ITEM]            the labels of the item's menu, one a line
    sni_host.py click LABEL [ITEM]     choose the menu entry with this label

As a module: serving(), items(), wait_for_item(), activate(), secondary_activate(), menu_labels(),
click()."""
import sys
import time

from gi.repository import Gio, GLib

WATCHER = "org.kde.StatusNotifierWatcher"
WATCHER_PATH = "/StatusNotifierWatcher"
ITEM_INTERFACE = "org.kde.StatusNotifierItem"
MENU_INTERFACE = "com.canonical.dbusmenu"

WATCHER_XML = """
<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
  </interface>
</node>"""


def serve():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION)
    items = []  # "bus-name/path", in registration order

    def on_call(connection, sender, path, interface, method, params, invocation):
        if method == "RegisterStatusNotifierItem":
            (service,) = params.unpack()
            # An item names its bus name (the path is then the usual one) or only its path.
            item = (sender + service if service.startswith("/")
                    else service + "/StatusNotifierItem")
            if item not in items:
                items.append(item)
                connection.emit_signal(None, WATCHER_PATH, WATCHER,
                                       "StatusNotifierItemRegistered", GLib.Variant("(s)", (item,)))
        invocation.return_value(None)

    def on_get(connection, sender, path, interface, name):
        if name == "RegisteredStatusNotifierItems":
            return GLib.Variant("as", items)
        if name == "IsStatusNotifierHostRegistered":
            return GLib.Variant("b", True)
        return GLib.Variant("i", 0)

    def on_owner_changed(connection, sender, path, interface, signal, params):
        name, _, new_owner = params.unpack()
        if new_owner:
            return
        for item in [i for i in items if i.split("/", 1)[0] == name]:
            items.remove(item)
            connection.emit_signal(None, WATCHER_PATH, WATCHER,
                                   "StatusNotifierItemUnregistered", GLib.Variant("(s)", (item,)))

    info = Gio.DBusNodeInfo.new_for_xml(WATCHER_XML).interfaces[0]
    bus.register_object(WATCHER_PATH, info, on_call, on_get, None)
    bus.signal_subscribe("org.freedesktop.DBus", "org.freedesktop.DBus", "NameOwnerChanged",
                         "/org/freedesktop/DBus", None, Gio.DBusSignalFlags.NONE, on_owner_changed)
    loop = GLib.MainLoop()
    Gio.bus_own_name_on_connection(bus, WATCHER, Gio.BusNameOwnerFlags.DO_NOT_QUEUE,
                                   None, lambda *_: loop.quit())
    loop.run()
    return 1  # the name was taken by another watcher


def _bus():
    return Gio.bus_get_sync(Gio.BusType.SESSION)


def _call(service, path, interface, method, args=None, reply="()"):
    answer = _bus().call_sync(service, path, interface, method, args, GLib.VariantType.new(reply),
                              Gio.DBusCallFlags.NONE, 10000, None)
    return answer.unpack()


def _property(service, path, interface, name):
    (value,) = _call(service, path, "org.freedesktop.DBus.Properties", "Get",
                     GLib.Variant("(ss)", (interface, name)), "(v)")
    return value


def serving():
    """Whether a watcher is on the session bus."""
    (owned,) = _call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                     "NameHasOwner", GLib.Variant("(s)", (WATCHER,)), "(b)")
    return owned


def items():
    try:
        return _property(WATCHER, WATCHER_PATH, WATCHER, "RegisteredStatusNotifierItems")
    except GLib.Error:
        return []


def wait_for_item(timeout=30.0):
    """The first registered item; fails when none registers within `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while not items():
        if time.monotonic() > deadline:
            raise AssertionError("no StatusNotifier item registered with the host")
        time.sleep(0.1)
    return items()[0]


def _split(item):
    item = item or wait_for_item()
    service, path = item.split("/", 1)
    return service, "/" + path


def activate(item=None, x=0, y=0):
    """What a host does on a left click: the item learns the position, not its own geometry."""
    service, path = _split(item)
    _call(service, path, ITEM_INTERFACE, "Activate", GLib.Variant("(ii)", (x, y)))


def secondary_activate(item=None, x=0, y=0):
    service, path = _split(item)
    _call(service, path, ITEM_INTERFACE, "SecondaryActivate", GLib.Variant("(ii)", (x, y)))


def icon(item=None):
    """The item's icon as a host reads it: the theme name and the sizes of the pictures."""
    service, path = _split(item)
    pixmaps = _property(service, path, ITEM_INTERFACE, "IconPixmap")
    return _property(service, path, ITEM_INTERFACE, "IconName"), sorted(w for w, _, _ in pixmaps)


def _menu(item):
    """The item's bus name, its menu's path and the menu's top entries, as a host reads them
    before drawing the menu."""
    service, path = _split(item)
    menu = _property(service, path, ITEM_INTERFACE, "Menu")
    try:
        _call(service, menu, MENU_INTERFACE, "AboutToShow", GLib.Variant("(i)", (0,)), "(b)")
    except GLib.Error:
        pass  # optional for an item
    _, (_, _, entries) = _call(service, menu, MENU_INTERFACE, "GetLayout",
                               GLib.Variant("(iias)", (0, -1, [])), "(u(ia{sv}av))")
    return service, menu, [(i, p) for i, p, _ in entries if p.get("visible", True)]


def menu_labels(item=None):
    """The labels of the item's menu in order, a separator as "-", as a host would draw it."""
    return ["-" if p.get("type") == "separator" else p.get("label", "")
            for _, p in _menu(item)[2] if p.get("visible", True)]


def click(label, item=None):
    """Chooses a menu entry as a host does when the user clicks it."""
    service, menu, entries = _menu(item)
    ids = [i for i, p in entries if p.get("label") == label]
    if not ids:
        raise AssertionError(f"no menu entry {label!r}")
    _call(service, menu, MENU_INTERFACE, "Event",
          GLib.Variant("(isvu)", (ids[0], "clicked", GLib.Variant("s", ""), 0)))


def main(argv):
    command, rest = (argv[0], argv[1:]) if argv else ("", [])
    item = rest[0] if rest else None
    if command == "serve":
        return serve()
    if command == "items":
        print("\n".join(items()))
    elif command == "activate":
        activate(item)
    elif command == "secondary-activate":
        secondary_activate(item)
    elif command == "menu":
        print("\n".join(menu_labels(item)))
    elif command == "click" and rest:
        click(rest[0], rest[1] if len(rest) > 1 else None)
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
