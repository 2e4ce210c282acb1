"""Waits for the saver's first frame on $DISPLAY, straight through Xlib.

  first_frame.py [LIMIT_MS]

Prints "ready" once it can look at the screen: start the saver then. Looks
at the root window again and again, first until no white is left (the
saver's window covers the white root), then until any pixel is lit, and
prints the milliseconds from "ready" to each. Exits 1 when LIMIT_MS
(default 10000) pass first. A screenshot through ImageMagick takes most of
a second on a busy machine; a look through Xlib takes tens of
milliseconds.
"""
import ctypes
import sys
import time

x11 = ctypes.CDLL("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XDefaultScreen.argtypes = [ctypes.c_void_p]
x11.XDisplayWidth.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XDisplayHeight.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XGetImage.restype = ctypes.c_void_p
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                          ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int), ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong),
                ("blue_mask", ctypes.c_ulong), ("obdata", ctypes.c_void_p),
                ("destroy_image", ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p))]


ALL_PLANES = 0xFFFFFFFF
Z_PIXMAP = 2


def main():
    limit = int(sys.argv[1]) if len(sys.argv) > 1 else 10000
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("first_frame.py: cannot open the display")
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
        image.destroy_image(pointer)
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


main()
