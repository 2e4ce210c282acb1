"""Input and pictures on a headless mutter, through its own remote-desktop
and screen-cast interfaces on the session bus. Stays connected, since
mutter ends both sessions with the connection, and takes one command a
line on stdin, answering each with a line "ok" (or "error: ...") on stdout:

    key                   a key pressed and let go (evdev KEY_A)
    move DX DY            the pointer moved by DX, DY pixels
    click                 the left button pressed and let go
    shot FILE [MONITOR]   a picture of the whole of a monitor (the first
                          one cast, unless told), without the pointer, as
                          a PNG in the monitor's device pixels
    cast MONITOR...       the monitors pictured from now on (their
                          connectors, "Meta-0"), after they are laid out anew

    mutter_session.py [MONITOR...]   the monitors pictured at first
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
Gst.init(None)
loop = GLib.MainLoop()
# The streams of the monitors pictured: monitor -> its newest frame, and
# what ends them.
newest = {}
casting = {"session": None, "pipelines": []}


def keep(sink, frames):
    frames["sample"] = sink.emit("pull-sample")
    frames["count"] += 1
    return Gst.FlowReturn.OK


def cast(*monitors):
    """Streams of these monitors (the first one pictured unless told), in
    place of those before: a stream shows nothing new once the monitors are
    laid out anew."""
    for pipeline in casting["pipelines"]:
        pipeline.set_state(Gst.State.NULL)
    try:
        if casting["session"]:
            casting["session"].Stop()
    except dbus.exceptions.DBusException:
        pass  # mutter ended it with the old layout
    session = interface("ScreenCast", interface("ScreenCast", "/org/gnome/Mutter/ScreenCast", "").CreateSession({}),
                        ".Session")
    nodes = {}
    for monitor in monitors:
        bus.add_signal_receiver(lambda n, m=monitor: (nodes.update({m: int(n)}), len(nodes) == len(monitors) and loop.quit()),
                                "PipeWireStreamAdded", SERVICE + ".ScreenCast.Stream",
                                path=session.RecordMonitor(monitor, {"cursor-mode": dbus.UInt32(0)}))
    session.Start()
    late = []
    timer = GLib.timeout_add(10000, lambda: late.append(loop.quit()))
    loop.run()
    if not late:
        GLib.source_remove(timer)
    if len(nodes) < len(monitors):
        raise RuntimeError("mutter gave no screen-cast stream")
    newest.clear()
    newest["first"] = monitors[0]
    casting.update(session=session, pipelines=[])
    for monitor, node in nodes.items():
        pipeline = Gst.parse_launch("pipewiresrc path=%d always-copy=true ! video/x-raw,format=BGRx ! "
                                    "appsink name=frames sync=false drop=true max-buffers=1 emit-signals=true" % node)
        newest[monitor] = {"sample": None, "count": 0}
        pipeline.get_by_name("frames").connect("new-sample", keep, newest[monitor])
        pipeline.set_state(Gst.State.PLAYING)
        casting["pipelines"].append(pipeline)


remote.Start()
try:
    cast(*(sys.argv[1:] or [""]))
except RuntimeError as error:
    sys.exit(str(error))


# The stream's newest frame is kept; mutter sends one whenever the screen
# changes. A picture is the first frame after it is asked for, or the last
# one when the screen stays still for a second: never one from before an
# animated window went.
def shot(path, monitor=None):
    newest_of = newest[monitor or newest["first"]]
    asked = newest_of["count"]
    still = time.monotonic() + 1
    deadline = time.monotonic() + 10
    while newest_of["count"] == asked and not (newest_of["sample"] and time.monotonic() > still):
        if time.monotonic() > deadline:
            raise RuntimeError("no frame from the screen cast")
        time.sleep(0.02)
    png = GstVideo.video_convert_sample(newest_of["sample"], Gst.Caps.from_string("image/png"), 5 * Gst.SECOND)
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
    "cast": cast,
}
print("ready", flush=True)
for line in sys.stdin:
    name, *arguments = line.split()
    try:
        commands[name](*arguments)
        print("ok", flush=True)
    except Exception as error:  # the test reads the answer, not a traceback
        print("error: %s" % error, flush=True)
