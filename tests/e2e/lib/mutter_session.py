"""Input and pictures on a headless mutter, through its own remote-desktop
and screen-cast interfaces on the session bus. Stays connected, since
mutter ends both sessions with the connection, and takes one command a
line on stdin, answering each with a line "ok" (or "error: ...") on stdout:

    key           a key pressed and let go (evdev KEY_A)
    move DX DY    the pointer moved by DX, DY pixels
    click         the left button pressed and let go
    shot FILE     a picture of the whole monitor as a PNG, without the pointer
"""
import subprocess
import sys

import dbus
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

KEY_A = 30
BTN_LEFT = 0x110
SERVICE = "org.gnome.Mutter"

DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()


def interface(name, path, iface):
    return dbus.Interface(bus.get_object(SERVICE + "." + name, path), SERVICE + "." + name + iface)


remote_path = interface("RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop", "").CreateSession()
remote = interface("RemoteDesktop", remote_path, ".Session")
cast_path = interface("ScreenCast", "/org/gnome/Mutter/ScreenCast", "").CreateSession({})
cast = interface("ScreenCast", cast_path, ".Session")
stream_path = cast.RecordMonitor("", {"cursor-mode": dbus.UInt32(0)})
loop = GLib.MainLoop()
node = []
bus.add_signal_receiver(lambda n: (node.append(int(n)), loop.quit()), "PipeWireStreamAdded",
                        SERVICE + ".ScreenCast.Stream", path=stream_path)
remote.Start()
cast.Start()
GLib.timeout_add(10000, loop.quit)
loop.run()
if not node:
    sys.exit("mutter gave no screen-cast stream")


def shot(path):
    subprocess.run(["gst-launch-1.0", "-q", "pipewiresrc", "path=%d" % node[0], "num-buffers=1", "!",
                    "videoconvert", "!", "pngenc", "!", "filesink", "location=" + path],
                   check=True, timeout=10, stdout=subprocess.DEVNULL)


def press(send, code):
    send(code, True)
    send(code, False)


commands = {
    "key": lambda: press(remote.NotifyKeyboardKeycode, dbus.UInt32(KEY_A)),
    "move": lambda dx, dy: remote.NotifyPointerMotionRelative(float(dx), float(dy)),
    "click": lambda: press(remote.NotifyPointerButton, dbus.Int32(BTN_LEFT)),
    "shot": shot,
}
print("ready", flush=True)
for line in sys.stdin:
    name, *arguments = line.split()
    try:
        commands[name](*arguments)
        print("ok", flush=True)
    except Exception as error:  # the test reads the answer, not a traceback
        print("error: %s" % error, flush=True)
