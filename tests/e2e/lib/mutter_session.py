"""Input and pictures on a headless mutter, through its own remote-desktop
and screen-cast interfaces on the session bus. Stays connected, since
mutter ends both sessions with the connection, and takes one command a
line on stdin, answering each with a line "ok" (or "error: ...") on stdout:

    key           a key pressed and let go (evdev KEY_A)
    move DX DY    the pointer moved by DX, DY pixels
    click         the left button pressed and let go
    shot FILE     a picture of the whole monitor, without the pointer, as a PNG
"""
import sys
import time

import dbus
import gi
from dbus.mainloop.glib import DBusGMainLoop

gi.require_version("Gst", "1.0")
gi.require_version("GstVideo", "1.0")
from gi.repository import GLib, Gst, GstVideo  # noqa: E402

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


# The stream's newest frame is kept; mutter sends one whenever the screen
# changes. A picture is the first frame after it is asked for, or the last
# one when the screen stays still for a second: never one from before an
# animated window went.
Gst.init(None)
pipeline = Gst.parse_launch("pipewiresrc path=%d always-copy=true ! video/x-raw,format=BGRx ! "
                            "appsink name=frames sync=false drop=true max-buffers=1 emit-signals=true" % node[0])
newest = {"sample": None, "count": 0}


def keep(sink):
    newest["sample"] = sink.emit("pull-sample")
    newest["count"] += 1
    return Gst.FlowReturn.OK


pipeline.get_by_name("frames").connect("new-sample", keep)
pipeline.set_state(Gst.State.PLAYING)


def shot(path):
    asked = newest["count"]
    still = time.monotonic() + 1
    deadline = time.monotonic() + 10
    while newest["count"] == asked and not (newest["sample"] and time.monotonic() > still):
        if time.monotonic() > deadline:
            raise RuntimeError("no frame from the screen cast")
        time.sleep(0.02)
    png = GstVideo.video_convert_sample(newest["sample"], Gst.Caps.from_string("image/png"), 5 * Gst.SECOND)
    buffer = png.get_buffer()
    with open(path, "wb") as picture:
        picture.write(buffer.extract_dup(0, buffer.get_size()))


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
