# A program that asks the desktop to stay awake, for the end-to-end tests:
# it calls INHIBIT (with arguments of SIGNATURE) on the session bus, says
# "held COOKIE", and stays on the bus; "release" on stdin calls RELEASE
# with the cookie and says "released"; end of input leaves the bus
# without releasing.
#
#     inhibit_holder.py NAME PATH INTERFACE INHIBIT RELEASE SIGNATURE ARGS...
import sys

from gi.repository import Gio, GLib

name, path, interface, inhibit, release, signature, *values = sys.argv[1:]
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
arguments = [int(v) if kind == 'u' else v for kind, v in zip(signature, values)]
try:
    reply = bus.call_sync(name, path, interface, inhibit, GLib.Variant(f'({signature})', arguments),
                          GLib.VariantType('(u)'), Gio.DBusCallFlags.NONE, 5000)
    cookie = reply.unpack()[0]
    print('held', cookie, flush=True)
    for line in sys.stdin:
        if line.strip() == 'release':
            bus.call_sync(name, path, interface, release, GLib.Variant('(u)', (cookie,)), None,
                          Gio.DBusCallFlags.NONE, 5000)
            print('released', flush=True)
except GLib.Error as error:
    print('failed', error.message, flush=True)
