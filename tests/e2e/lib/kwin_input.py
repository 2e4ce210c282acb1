"""Input on KWin through its fake-input protocol (org_kde_kwin_fake_input,
offered when KWIN_WAYLAND_NO_PERMISSION_CHECKS=1), on $WAYLAND_DISPLAY.

  kwin_input.py

Reads steps from its input, one a line: "to X,Y" (the pointer to that
pixel), "by DX,DY" (a step of the pointer), "click" (the left button) or
"key" (the space bar, pressed and released), and answers each with "ok"
once the compositor has handled it.
"""
import sys

from wl_pointer import BTN_LEFT, Connection

KEY_SPACE = 57
AUTHENTICATE, MOTION, BUTTON, MOTION_ABSOLUTE, KEY = 0, 1, 2, 9, 10


def fixed(value):
    return int(value * 256)


def main():
    wl = Connection()
    fake = wl.bind("org_kde_kwin_fake_input", 4, "the compositor offers no fake input")
    wl.send(fake, AUTHENTICATE, "linesaver tests", "input for the tests")
    wl.roundtrip()
    for line in sys.stdin:
        step = line.split()
        if step[0] in ("to", "by"):
            x, y = (int(v) for v in step[1].split(","))
            wl.send(fake, MOTION_ABSOLUTE if step[0] == "to" else MOTION, fixed(x), fixed(y))
        else:
            request, code = (BUTTON, BTN_LEFT) if step[0] == "click" else (KEY, KEY_SPACE)
            wl.send(fake, request, code, 1)
            wl.send(fake, request, code, 0)
        wl.roundtrip()
        print("ok", flush=True)


if __name__ == "__main__":
    main()
