"""A virtual pointer on the Wayland compositor of $WAYLAND_DISPLAY, through
the wlroots virtual-pointer protocol (zwlr_virtual_pointer_manager_v1),
spoken straight on the socket.

  wl_pointer.py WIDTH HEIGHT

Reads steps from its input, one a line, each "X,Y" (move to that pixel of
an output of WIDTH x HEIGHT) or "click" (the left button pressed and
released), and answers each with "ok" once the compositor has handled it.
One pointer serves all the steps, as a mouse would: a new one would join
the seat first, and its first event would only bring it in.
"""
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
        self.next_id = 3
        self.buffer = b""

    def new_id(self):
        self.next_id += 1
        return self.next_id - 1

    def send(self, obj, opcode, *args):
        body = b""
        for a in args:
            if isinstance(a, str):
                data = a.encode() + b"\0"
                body += struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)
            else:
                body += struct.pack("<I", a & 0xFFFFFFFF)
        self.sock.sendall(struct.pack("<II", obj, (8 + len(body)) << 16 | opcode) + body)

    def events(self):
        while True:
            while len(self.buffer) >= 8:
                obj, word = struct.unpack_from("<II", self.buffer)
                size = word >> 16
                if len(self.buffer) < size:
                    break
                body, self.buffer = self.buffer[8:size], self.buffer[size:]
                yield obj, word & 0xFFFF, body
            chunk = self.sock.recv(4096)
            if not chunk:
                sys.exit("the compositor closed the connection")
            self.buffer += chunk

    def roundtrip(self, on_event=lambda obj, opcode, body: None):
        callback = self.new_id()
        self.send(DISPLAY_ID, 0, callback)  # wl_display.sync
        for obj, opcode, body in self.events():
            if obj == callback:
                return
            if obj == DISPLAY_ID and opcode == 0:  # wl_display.error
                length = struct.unpack_from("<I", body, 8)[0]
                sys.exit("protocol error: " + body[12:12 + length - 1].decode())
            on_event(obj, opcode, body)


def string_at(body, offset):
    length = struct.unpack_from("<I", body, offset)[0]
    return body[offset + 4:offset + 4 + length - 1].decode(), offset + 4 + length + (-length % 4)


def main():
    width, height = int(sys.argv[1]), int(sys.argv[2])
    wl = Connection()
    wl.send(DISPLAY_ID, 1, REGISTRY_ID)  # wl_display.get_registry
    globals_ = {}

    def on_global(obj, opcode, body):
        if obj == REGISTRY_ID and opcode == 0:
            name = struct.unpack_from("<I", body)[0]
            interface, _ = string_at(body, 4)
            globals_[interface] = name

    wl.roundtrip(on_global)
    interface = "zwlr_virtual_pointer_manager_v1"
    if interface not in globals_:
        sys.exit("the compositor has no virtual pointers")
    manager = wl.new_id()
    wl.send(REGISTRY_ID, 0, globals_[interface], interface, 1, manager)  # wl_registry.bind
    pointer = wl.new_id()
    wl.send(manager, 0, 0, pointer)  # create_virtual_pointer, the default seat
    wl.roundtrip()
    for line in sys.stdin:
        step = line.strip()
        ms = int(time.monotonic() * 1000)
        if step == "click":
            wl.send(pointer, 2, ms, BTN_LEFT, 1)  # button, pressed
            wl.send(pointer, 4)  # frame
            wl.send(pointer, 2, ms + 1, BTN_LEFT, 0)
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
