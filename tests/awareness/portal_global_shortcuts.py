'''python3-dbusmock template: the desktop portal's GlobalShortcuts interface

Parameters: "taken", a list of shortcut ids the desktop refuses to bind.
Mock methods: Activate(session, shortcut id) emits Activated as a key press would;
LastSession() names the session created last; Closed() lists the sessions closed.
'''

import dbus

from dbusmock import MOCK_IFACE, mockobject

BUS_NAME = 'org.freedesktop.portal.Desktop'
MAIN_OBJ = '/org/freedesktop/portal/desktop'
MAIN_IFACE = 'org.freedesktop.portal.GlobalShortcuts'
SYSTEM_BUS = False

REQUEST_IFACE = 'org.freedesktop.portal.Request'
SESSION_IFACE = 'org.freedesktop.portal.Session'


def load(mock, parameters):
    mock.taken = set(parameters.get('taken', []))
    mock.last_session = '/'
    mock.closed = []
    mock.AddProperties(MAIN_IFACE, dbus.Dictionary({'version': dbus.UInt32(1)}, signature='sv'))


def _caller(sender):
    return str(sender)[1:].replace('.', '_')


def _respond(mock, sender, token, results):
    path = f'/org/freedesktop/portal/desktop/request/{_caller(sender)}/{token}'
    mock.AddObject(path, REQUEST_IFACE, {}, [])
    mockobject.objects[path].EmitSignal(REQUEST_IFACE, 'Response', 'ua{sv}',
                                        [dbus.UInt32(0), dbus.Dictionary(results, signature='sv')])
    return dbus.ObjectPath(path)


@dbus.service.method(MAIN_IFACE, in_signature='a{sv}', out_signature='o', sender_keyword='sender')
def CreateSession(self, options, sender=None):
    session = f'/org/freedesktop/portal/desktop/session/{_caller(sender)}/{options["session_handle_token"]}'
    self.AddObject(session, SESSION_IFACE, {},
                   [('Close', '', '', f'objects["{MAIN_OBJ}"].closed.append(self.path)')])
    self.last_session = session
    return _respond(self, sender, options['handle_token'], {'session_handle': session})


@dbus.service.method(MAIN_IFACE, in_signature='oa(sa{sv})sa{sv}', out_signature='o',
                     sender_keyword='sender')
def BindShortcuts(self, session, shortcuts, parent_window, options, sender=None):
    bound = dbus.Array([dbus.Struct((shortcut_id, dbus.Dictionary(
        {'description': properties.get('description', ''),
         'trigger_description': properties.get('preferred_trigger', '')}, signature='sv')))
        for shortcut_id, properties in shortcuts if shortcut_id not in self.taken],
        signature='(sa{sv})')
    return _respond(self, sender, options['handle_token'], {'shortcuts': bound})


@dbus.service.method(MOCK_IFACE, in_signature='os', out_signature='')
def Activate(self, session, shortcut_id):
    self.EmitSignal(MAIN_IFACE, 'Activated', 'osta{sv}',
                    [dbus.ObjectPath(session), shortcut_id, dbus.UInt64(0),
                     dbus.Dictionary({}, signature='sv')])


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='o')
def LastSession(self):
    return dbus.ObjectPath(self.last_session)


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='as')
def Closed(self):
    return dbus.Array(self.closed, signature='s')
