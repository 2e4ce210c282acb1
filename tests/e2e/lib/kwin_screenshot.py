"""The whole of KWin's workspace as a picture, through its ScreenShot2
interface on the session bus (KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1), in
logical pixels or, with --native, in the outputs' device pixels.

  kwin_screenshot.py FILE.ppm [--native]
"""
import os
import sys

from gi.repository import Gio, GLib


def main():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION)
    read_end, write_end = os.pipe()
    # The list keeps a copy of the write end: both go before reading, so
    # that the read ends when KWin has written all.
    handles = Gio.UnixFDList()
    handles.append(write_end)
    os.close(write_end)
    reply, _ = bus.call_with_unix_fd_list_sync(
        "org.kde.KWin", "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2", "CaptureWorkspace",
        GLib.Variant("(a{sv}h)", ({"native-resolution": GLib.Variant("b", "--native" in sys.argv)}, 0)), GLib.VariantType("(a{sv})"), Gio.DBusCallFlags.NONE, 10000,
        handles, None)
    del handles
    chunks = []
    while chunk := os.read(read_end, 1 << 20):
        chunks.append(chunk)
    data = b"".join(chunks)
    info = reply.unpack()[0]
    width, height, stride = info["width"], info["height"], info["stride"]
    # 32-bit pixels, blue first in memory (QImage's (A)RGB32).
    rows = b"".join(data[y * stride:y * stride + width * 4] for y in range(height))
    rgb = bytearray(width * height * 3)
    rgb[0::3], rgb[1::3], rgb[2::3] = rows[2::4], rows[1::4], rows[0::4]
    with open(sys.argv[1], "wb") as out:
        out.write(b"P6 %d %d 255\n" % (width, height) + rgb)


main()
