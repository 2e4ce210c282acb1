# An X client that holds the X server's screen saver suspended, as SDL
# programs and browsers do, for the end-to-end tests: says "ready", then
# each "on" or "off" on stdin calls XScreenSaverSuspend(True or False) and
# is answered "ok" once the server has it; end of input ends the client
# without letting go.
import ctypes
import sys

xlib, xss = ctypes.CDLL('libX11.so.6'), ctypes.CDLL('libXss.so.1')
xlib.XOpenDisplay.restype = ctypes.c_void_p
display = ctypes.c_void_p(xlib.XOpenDisplay(None))
print('ready' if display.value else 'no display', flush=True)
for line in sys.stdin:
    xss.XScreenSaverSuspend(display, line.strip() == 'on')
    xlib.XSync(display, 0)
    print('ok', flush=True)
