"""A plain black window the tests own, as a preview pane or the daemon's
window would be: xwindow.py WxH+X+Y maps it, prints its id in hex and keeps
it until the process ends (the window goes with it).

xwindow.py WxH+X+Y --top-bar makes it a white dock that reserves its
height at the top of the screen, as a desktop's top bar does (GNOME's): a
window manager then keeps ordinary windows below it.
"""
import ctypes
import re
import signal
import sys

x11 = ctypes.CDLL("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XCreateSimpleWindow.restype = ctypes.c_ulong
x11.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                    ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
x11.XMapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x11.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int,
                                ctypes.c_int, ctypes.c_void_p, ctypes.c_int]
XA_ATOM, XA_CARDINAL, PROP_MODE_REPLACE = 4, 6, 0


def make_top_bar(display, window, x, w, h):
    def atom(name):
        return x11.XInternAtom(display, name.encode(), 0)

    dock = (ctypes.c_long * 1)(atom("_NET_WM_WINDOW_TYPE_DOCK"))
    x11.XChangeProperty(display, window, atom("_NET_WM_WINDOW_TYPE"), XA_ATOM, 32, PROP_MODE_REPLACE, dock, 1)
    # left, right, top, bottom, then the start and end of each edge's span
    strut = (ctypes.c_long * 12)(0, 0, h, 0, 0, 0, 0, 0, x, x + w - 1, 0, 0)
    x11.XChangeProperty(display, window, atom("_NET_WM_STRUT_PARTIAL"), XA_CARDINAL, 32, PROP_MODE_REPLACE, strut, 12)
    x11.XChangeProperty(display, window, atom("_NET_WM_STRUT"), XA_CARDINAL, 32, PROP_MODE_REPLACE, strut, 4)


def main():
    top_bar = sys.argv[2:] == ["--top-bar"]
    m = re.fullmatch(r"(\d+)x(\d+)\+(\d+)\+(\d+)", sys.argv[1] if len(sys.argv) == 2 or top_bar else "")
    if not m:
        sys.exit(__doc__)
    w, h, x, y = map(int, m.groups())
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the display")
    window = x11.XCreateSimpleWindow(display, x11.XDefaultRootWindow(display), x, y, w, h, 0, 0,
                                     0xFFFFFF if top_bar else 0)
    if top_bar:
        make_top_bar(display, window, x, w, h)
    x11.XMapWindow(display, window)
    x11.XSync(display, 0)
    print(hex(window), flush=True)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    while True:
        signal.pause()


main()
