# logind for the end-to-end tests, a python-dbusmock template for a private
# system bus: dbusmock's own logind, plus what it lacks and the watcher
# reads — BlockInhibited and DelayInhibited kept as logind keeps them (an
# inhibitor lasts while its file descriptor is open, each change is
# announced, delay locks are for sleep and shutdown alone), one session
# that every process belongs to, and Lock/Unlock signals on it from
# LockSession and UnlockSession.
import os

import dbus
import dbus.service
from dbusmock import mockobject
from dbusmock.templates.logind import (AddSeat, AddSession, AddUser, BUS_NAME, MAIN_IFACE, MAIN_OBJ,  # noqa: F401
                                       ListInhibitors, ListSessions, ListUsers, SYSTEM_BUS)
from dbusmock.templates.logind import load as load_logind
from gi.repository import GLib

# logind's order when it names several.
KINDS = ('shutdown', 'sleep', 'idle', 'handle-power-key', 'handle-suspend-key', 'handle-hibernate-key',
         'handle-lid-switch', 'handle-reboot-key')
SESSION = '/org/freedesktop/login1/session/c1'
SESSION_IFACE = 'org.freedesktop.login1.Session'
mockobject.inhibitors = []


def load(mock, parameters):
    load_logind(mock, parameters)
    mock.AddProperties(MAIN_IFACE, {'BlockInhibited': '', 'DelayInhibited': ''})
    mock.AddSession('c1', 'seat0', dbus.UInt32(os.getuid()), 'user', True)
    session = f'objects["{SESSION}"]'
    mock.AddMethods(MAIN_IFACE, [
        ('GetSession', 's', 'o', f'ret = "{SESSION}"'),
        ('GetSessionByPID', 'u', 'o', f'ret = "{SESSION}"'),
        ('LockSession', 's', '', f'{session}.EmitSignal("{SESSION_IFACE}", "Lock", "", [])'),
        ('UnlockSession', 's', '', f'{session}.EmitSignal("{SESSION_IFACE}", "Unlock", "", [])'),
    ])


def announce():
    manager = mockobject.objects[MAIN_OBJ]
    held = {mode: ':'.join(k for k in KINDS if any(k in i[0].split(':') and i[3] == mode for i in mockobject.inhibitors))
            for mode in ('block', 'delay')}
    manager.UpdateProperties(MAIN_IFACE, {'BlockInhibited': held['block'], 'DelayInhibited': held['delay']})


@dbus.service.method(MAIN_IFACE, in_signature='ssss', out_signature='h', sender_keyword='sender')
def Inhibit(self, what, who, why, mode, sender=None):
    kinds = what.split(':')
    if mode not in ('block', 'delay') or not what or any(k not in KINDS for k in kinds):
        raise dbus.exceptions.DBusException('Invalid what or mode', name='org.freedesktop.DBus.Error.InvalidArgs')
    if mode == 'delay' and any(k not in ('shutdown', 'sleep') for k in kinds):
        raise dbus.exceptions.DBusException('Delay inhibitors only supported for shutdown and sleep',
                                            name='org.freedesktop.DBus.Error.InvalidArgs')
    bus = self.connection.get_object('org.freedesktop.DBus', '/org/freedesktop/DBus')
    uid = bus.GetConnectionUnixUser(sender, dbus_interface='org.freedesktop.DBus')
    pid = bus.GetConnectionUnixProcessID(sender, dbus_interface='org.freedesktop.DBus')
    inhibitor = (what, who, why, mode, dbus.UInt32(uid), dbus.UInt32(pid))
    mockobject.inhibitors.append(inhibitor)
    announce()
    kept, given = os.pipe()

    def released(fd, _condition):
        os.close(fd)
        mockobject.inhibitors.remove(inhibitor)
        announce()
        return False

    GLib.unix_fd_add_full(GLib.PRIORITY_HIGH, kept, GLib.IO_HUP | GLib.IO_ERR, released)
    GLib.idle_add(os.close, given)
    return dbus.types.UnixFd(given)

