"""A plain black window the tests own, as a preview pane or the daemon's
window would be: xwindow.py WxH+X+Y maps it, prints its id in hex and keeps
it until the process ends (the window goes with it).
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


def main():
    m = re.fullmatch(r"(\d+)x(\d+)\+(\d+)\+(\d+)", sys.argv[1] if len(sys.argv) == 2 else "")
    if not m:
        sys.exit(__doc__)
    w, h, x, y = map(int, m.groups())
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the display")
    window = x11.XCreateSimpleWindow(display, x11.XDefaultRootWindow(display), x, y, w, h, 0, 0, 0)
    x11.XMapWindow(display, window)
    x11.XSync(display, 0)
    print(hex(window), flush=True)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    while True:
        signal.pause()


main()
