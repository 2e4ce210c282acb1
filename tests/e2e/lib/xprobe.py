"""What xdotool cannot do, straight through Xlib on $DISPLAY.

  xprobe.py cursor         the opaque pixels of the cursor shown now (0: hidden)
  xprobe.py close WINDOW   asks the window to close, as a window manager does
  xprobe.py idle           the server's screen saver state (on, off, disabled)
                           and its idle time in milliseconds
  xprobe.py window WxH+X+Y maps a plain black window the tests own, as a
                           preview pane or the daemon's window would be,
                           prints its id in hex and keeps it until ended;
                           with --top-bar, a white dock that reserves its
                           height at the top of the screen, as a desktop's
                           top bar does (GNOME's): a window manager then
                           keeps ordinary windows below it
  xprobe.py first-frame LIMIT_MS
                           prints "ready" once it can look at the screen
                           (start the saver then), then the milliseconds
                           from "ready" until the white root is covered and
                           until any pixel is lit; exits 1 when LIMIT_MS
                           pass first. A screenshot through ImageMagick
                           takes most of a second on a busy machine; a look
                           through Xlib takes tens of milliseconds.
"""
import ctypes
import re
import signal
import sys
import time

x11 = ctypes.CDLL("libX11.so.6")
xfixes = ctypes.CDLL("libXfixes.so.3")
xss = ctypes.CDLL("libXss.so.1")
DISPLAY, XID, INT, UINT = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_uint
# (function, what it returns, its arguments)
for function, restype, argtypes in [
        (x11.XOpenDisplay, DISPLAY, [ctypes.c_char_p]),
        (x11.XInternAtom, XID, [DISPLAY, ctypes.c_char_p, INT]),
        (x11.XSendEvent, INT, [DISPLAY, XID, INT, ctypes.c_long, ctypes.c_void_p]),
        (x11.XChangeProperty, INT, [DISPLAY, XID, XID, XID, INT, INT, ctypes.c_void_p, INT]),
        (x11.XFlush, INT, [DISPLAY]),
        (x11.XCloseDisplay, INT, [DISPLAY]),
        (x11.XDefaultRootWindow, XID, [DISPLAY]),
        (x11.XCreateSimpleWindow, XID, [DISPLAY, XID, INT, INT, UINT, UINT, UINT, XID, XID]),
        (x11.XMapWindow, INT, [DISPLAY, XID]),
        (x11.XSync, INT, [DISPLAY, INT]),
        (x11.XDefaultScreen, INT, [DISPLAY]),
        (x11.XDisplayWidth, INT, [DISPLAY, INT]),
        (x11.XDisplayHeight, INT, [DISPLAY, INT]),
        (x11.XGetImage, ctypes.c_void_p, [DISPLAY, XID, INT, INT, UINT, UINT, ctypes.c_ulong, INT]),
        (x11.XDestroyImage, INT, [ctypes.c_void_p]),
        (xfixes.XFixesQueryVersion, INT, [DISPLAY, ctypes.POINTER(INT), ctypes.POINTER(INT)]),
        (xfixes.XFixesGetCursorImage, ctypes.c_void_p, [DISPLAY]),
        (xss.XScreenSaverQueryInfo, INT, [DISPLAY, XID, ctypes.c_void_p])]:
    function.restype, function.argtypes = restype, argtypes


class CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort),
                ("height", ctypes.c_ushort), ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


class ClientMessage(ctypes.Structure):  # an XEvent of that type
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("l", ctypes.c_long * 5),
                ("pad", ctypes.c_long * 12)]  # the rest of an XEvent's 24 longs


def cursor(display):
    major, minor = ctypes.c_int(6), ctypes.c_int(0)
    if not xfixes.XFixesQueryVersion(display, ctypes.byref(major), ctypes.byref(minor)):
        sys.exit("no XFIXES")
    image = xfixes.XFixesGetCursorImage(display)
    if not image:
        sys.exit("no cursor image")
    c = ctypes.cast(image, ctypes.POINTER(CursorImage)).contents
    print(sum(1 for i in range(c.width * c.height) if c.pixels[i] >> 24))


class ScreenSaverInfo(ctypes.Structure):
    _fields_ = [("window", ctypes.c_ulong), ("state", ctypes.c_int), ("kind", ctypes.c_int),
                ("til_or_since", ctypes.c_ulong), ("idle", ctypes.c_ulong), ("event_mask", ctypes.c_ulong)]


def idle(display):
    info = ScreenSaverInfo()
    if not xss.XScreenSaverQueryInfo(display, x11.XDefaultRootWindow(display), ctypes.byref(info)):
        sys.exit("no MIT-SCREEN-SAVER")
    print({0: "off", 1: "on", 3: "disabled"}.get(info.state, "cycle"), info.idle)


def close(display, window):
    event = ClientMessage()
    event.type = 33  # ClientMessage
    event.window = window
    event.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.format = 32
    event.l[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    if not x11.XSendEvent(display, window, 0, 0, ctypes.byref(event)):
        sys.exit("cannot send to the window")
    x11.XFlush(display)


def make_top_bar(display, window, x, w, h):
    xa_atom, xa_cardinal, replace = 4, 6, 0

    def atom(name):
        return x11.XInternAtom(display, name.encode(), 0)

    dock = (ctypes.c_long * 1)(atom("_NET_WM_WINDOW_TYPE_DOCK"))
    x11.XChangeProperty(display, window, atom("_NET_WM_WINDOW_TYPE"), xa_atom, 32, replace, dock, 1)
    # left, right, top, bottom, then the start and end of each edge's span
    strut = (ctypes.c_long * 12)(0, 0, h, 0, 0, 0, 0, 0, x, x + w - 1, 0, 0)
    x11.XChangeProperty(display, window, atom("_NET_WM_STRUT_PARTIAL"), xa_cardinal, 32, replace, strut, 12)
    x11.XChangeProperty(display, window, atom("_NET_WM_STRUT"), xa_cardinal, 32, replace, strut, 4)


def window(display, geometry, top_bar):
    w, h, x, y = map(int, geometry.groups())
    made = x11.XCreateSimpleWindow(display, x11.XDefaultRootWindow(display), x, y, w, h, 0, 0,
                                   0xFFFFFF if top_bar else 0)
    if top_bar:
        make_top_bar(display, made, x, w, h)
    x11.XMapWindow(display, made)
    x11.XSync(display, 0)
    print(hex(made), flush=True)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    while True:
        signal.pause()


class XImage(ctypes.Structure):  # its leading fields, as far as this reads
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int)]


ALL_PLANES = 0xFFFFFFFF
Z_PIXMAP = 2


def first_frame(display, limit):
    screen = x11.XDefaultScreen(display)
    width, height = x11.XDisplayWidth(display, screen), x11.XDisplayHeight(display, screen)
    root = x11.XDefaultRootWindow(display)
    covered = None
    started = time.time_ns()
    print("ready", flush=True)
    while True:
        elapsed = (time.time_ns() - started) // 1_000_000
        if elapsed > limit:
            sys.exit(1)
        pointer = x11.XGetImage(display, root, 0, 0, width, height, ALL_PLANES, Z_PIXMAP)
        image = ctypes.cast(pointer, ctypes.POINTER(XImage)).contents
        data = ctypes.string_at(image.data, image.bytes_per_line * image.height)
        x11.XDestroyImage(pointer)
        # Pixels are 32 bits with the colour in the low 24: the padding goes.
        colours = bytearray(data)
        del colours[3::4]
        black = colours.count(0) == len(colours)
        # The root is white: once no white is left, the window covers it.
        # The first frame can come before the next look, and then both
        # happen at once.
        if covered is None and colours.find(b"\xff\xff\xff") < 0:
            covered = elapsed
            print(covered, flush=True)
        if covered is not None and not black:
            print(elapsed, flush=True)
            return
        time.sleep(0.003)


def main():
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the display")
    if sys.argv[1:] == ["cursor"]:
        cursor(display)
    elif sys.argv[1:] == ["idle"]:
        idle(display)
    elif len(sys.argv) == 3 and sys.argv[1] == "close":
        close(display, int(sys.argv[2], 0))
    elif sys.argv[1:2] == ["window"] and sys.argv[3:] in ([], ["--top-bar"]) and (
            geometry := re.fullmatch(r"(\d+)x(\d+)\+(\d+)\+(\d+)", sys.argv[2])):
        window(display, geometry, sys.argv[3:] == ["--top-bar"])
    elif len(sys.argv) == 3 and sys.argv[1] == "first-frame" and sys.argv[2].isdigit():
        first_frame(display, int(sys.argv[2]))
    else:
        sys.exit(__doc__)
    x11.XCloseDisplay(display)


main()
