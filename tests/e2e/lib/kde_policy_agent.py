"""A stand-in for KDE's power manager on the session bus: the policy agent
that records the inhibitions programs ask of org.freedesktop.ScreenSaver
and of the power manager. Takes one command a line on stdin, answering
"ok" on stdout:

    hold      an inhibition of the screen's settings, as a video player's
    release   the last one taken
"""
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

INTERFACE = "org.kde.Solid.PowerManagement.PolicyAgent"
SCREEN_SETTINGS = 4


class PolicyAgent(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/org/kde/Solid/PowerManagement/PolicyAgent")
        self.held = {}  # cookie -> (types, app, reason)
        self.next_cookie = 1

    @dbus.service.method(INTERFACE, in_signature="uss", out_signature="u")
    def AddInhibition(self, types, app, reason):
        cookie = self.next_cookie
        self.next_cookie += 1
        self.held[cookie] = (int(types), str(app), str(reason))
        self.InhibitionsChanged([(app, reason)], [])
        return cookie

    @dbus.service.method(INTERFACE, in_signature="u")
    def ReleaseInhibition(self, cookie):
        types, app, reason = self.held.pop(int(cookie))
        self.InhibitionsChanged([], [app])

    @dbus.service.method(INTERFACE, in_signature="u", out_signature="b")
    def HasInhibition(self, types):
        return any(held & types for held, _, _ in self.held.values())

    @dbus.service.method(INTERFACE, out_signature="a(ss)")
    def ListInhibitions(self):
        return [(app, reason) for _, app, reason in self.held.values()]

    @dbus.service.signal(INTERFACE, signature="a(ss)as")
    def InhibitionsChanged(self, added, removed):
        pass


def command(agent, source, _condition):
    line = source.readline()
    if not line:
        loop.quit()
        return False
    if line.strip() == "hold":
        agent.AddInhibition(SCREEN_SETTINGS, "video player", "playing a video")
    elif agent.held:
        agent.ReleaseInhibition(max(agent.held))
    print("ok", flush=True)
    return True


DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
name = dbus.service.BusName("org.kde.Solid.PowerManagement", bus)
agent = PolicyAgent(bus)
loop = GLib.MainLoop()
GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, lambda s, c: command(agent, s, c))
print("ready", flush=True)
loop.run()
