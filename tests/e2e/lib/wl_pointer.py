"""A virtual pointer on the Wayland compositor of $WAYLAND_DISPLAY, through
the wlroots virtual-pointer protocol (zwlr_virtual_pointer_manager_v1),
spoken straight on the socket.

  wl_pointer.py WIDTH HEIGHT

Reads steps from its input, one a line, each "X,Y" (move to that pixel of
an output of WIDTH x HEIGHT), "by DX,DY" (a step of the pointer, in the
compositor's logical pixels) or "click" (the left button pressed and
released), and answers each with "ok" once the compositor has handled it.
One pointer serves all the steps, as a mouse would: a new one would join
the seat first, and its first event would only bring it in.
"""
import itertools
import os
import socket
import struct
import sys
import time

DISPLAY_ID, REGISTRY_ID = 1, 2
BTN_LEFT = 0x110


class Connection:
    def __init__(self):
        name = os.environ.get("WAYLAND_DISPLAY", "wayland-0")
        path = name if name.startswith("/") else os.path.join(os.environ["XDG_RUNTIME_DIR"], name)
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(path)
        self.stream = self.sock.makefile("rb")
        self.ids = itertools.count(3)  # the new objects' ids, after the display and the registry

    def send(self, obj, opcode, *args):
        body = b""
        for a in args:
            if isinstance(a, str):
                data = a.encode() + b"\0"
                body += struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)
            else:
                body += struct.pack("<I", a & 0xFFFFFFFF)
        self.sock.sendall(struct.pack("<II", obj, (8 + len(body)) << 16 | opcode) + body)

    def event(self):
        header = self.stream.read(8)
        if len(header) < 8:
            sys.exit("the compositor closed the connection")
        obj, word = struct.unpack("<II", header)
        return obj, word & 0xFFFF, self.stream.read((word >> 16) - 8)

    def roundtrip(self):
        """The events that come before the compositor has answered a sync."""
        callback = next(self.ids)
        self.send(DISPLAY_ID, 0, callback)  # wl_display.sync
        received = []
        while (event := self.event())[0] != callback:
            if event[:2] == (DISPLAY_ID, 0):  # wl_display.error
                sys.exit("protocol error: " + string_at(event[2], 8))
            received.append(event)
        return received

    def bind(self, interface, version, missing):
        """A new id bound to the compositor's global of that interface;
        exits with the words `missing` when it offers none."""
        self.send(DISPLAY_ID, 1, REGISTRY_ID)  # wl_display.get_registry
        names = {string_at(body, 4): struct.unpack_from("<I", body)[0]
                 for obj, opcode, body in self.roundtrip() if (obj, opcode) == (REGISTRY_ID, 0)}  # wl_registry.global
        if interface not in names:
            sys.exit(missing)
        bound = next(self.ids)
        self.send(REGISTRY_ID, 0, names[interface], interface, version, bound)  # wl_registry.bind
        return bound


def string_at(body, offset):
    length = struct.unpack_from("<I", body, offset)[0]
    return body[offset + 4:offset + 4 + length - 1].decode()


def main():
    width, height = int(sys.argv[1]), int(sys.argv[2])
    wl = Connection()
    manager = wl.bind("zwlr_virtual_pointer_manager_v1", 1, "the compositor has no virtual pointers")
    pointer = next(wl.ids)
    wl.send(manager, 0, 0, pointer)  # create_virtual_pointer, the default seat
    wl.roundtrip()
    for line in sys.stdin:
        step = line.strip()
        ms = int(time.monotonic() * 1000)
        if step == "click":
            wl.send(pointer, 2, ms, BTN_LEFT, 1)  # button, pressed
            wl.send(pointer, 4)  # frame
            wl.send(pointer, 2, ms + 1, BTN_LEFT, 0)
        elif step.startswith("by "):
            dx, dy = (int(v) for v in step[3:].split(","))
            wl.send(pointer, 0, ms, dx * 256, dy * 256)  # motion, in fixed point
        else:
            x, y = (int(v) for v in step.split(","))
            wl.send(pointer, 1, ms, x, y, width, height)  # motion_absolute
        wl.send(pointer, 4)
        wl.roundtrip()
        print("ok", flush=True)
    wl.send(pointer, 8)  # destroy
    wl.roundtrip()


if __name__ == "__main__":
    main()
