"""What xdotool cannot do, straight through the X protocol on $DISPLAY.

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
                           through the protocol takes tens of milliseconds.

Runs under Debian's /usr/bin/python3, whose python3-xlib it uses.
"""
import re
import signal
import sys
import time

from Xlib import X, Xatom, display as xdisplay, error
from Xlib.protocol import event


def cursor(display):
    if not display.has_extension("XFIXES"):
        sys.exit("no XFIXES")
    display.xfixes_query_version()
    image = display.xfixes_get_cursor_image(display.screen().root)
    print(sum(1 for pixel in image.cursor_image if pixel >> 24))


def idle(display):
    if not display.has_extension("MIT-SCREEN-SAVER"):
        sys.exit("no MIT-SCREEN-SAVER")
    info = display.screen().root.screensaver_query_info()
    print({0: "off", 1: "on", 3: "disabled"}.get(info.state, "cycle"), info.idle)


def close(display, window):
    message = event.ClientMessage(window=window, client_type=display.intern_atom("WM_PROTOCOLS"),
                                  data=(32, [display.intern_atom("WM_DELETE_WINDOW"), 0, 0, 0, 0]))
    caught = error.CatchError()
    display.create_resource_object("window", window).send_event(message, onerror=caught)
    display.sync()
    if caught.get_error():
        sys.exit("cannot send to the window")


def window(display, geometry, top_bar):
    w, h, x, y = map(int, geometry.groups())
    made = display.screen().root.create_window(x, y, w, h, 0, X.CopyFromParent,
                                               background_pixel=0xFFFFFF if top_bar else 0)
    if top_bar:
        made.change_property(display.intern_atom("_NET_WM_WINDOW_TYPE"), Xatom.ATOM, 32,
                             [display.intern_atom("_NET_WM_WINDOW_TYPE_DOCK")])
        # left, right, top, bottom, then the start and end of each edge's span
        strut = [0, 0, h, 0, 0, 0, 0, 0, x, x + w - 1, 0, 0]
        made.change_property(display.intern_atom("_NET_WM_STRUT_PARTIAL"), Xatom.CARDINAL, 32, strut)
        made.change_property(display.intern_atom("_NET_WM_STRUT"), Xatom.CARDINAL, 32, strut[:4])
    made.map()
    display.sync()
    print(hex(made.id), flush=True)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    while True:
        signal.pause()


def first_frame(display, limit):
    root = display.screen().root
    width, height = display.screen().width_in_pixels, display.screen().height_in_pixels
    covered = None
    started = time.time_ns()
    print("ready", flush=True)
    while True:
        elapsed = (time.time_ns() - started) // 1_000_000
        if elapsed > limit:
            sys.exit(1)
        # Pixels are 32 bits with the colour in the low 24: the padding goes.
        colours = bytearray(root.get_image(0, 0, width, height, X.ZPixmap, 0xFFFFFFFF).data)
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
    try:
        display = xdisplay.Display()
    except error.DisplayError:
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
    display.close()


main()
