# A close signal at any moment of the start-up ends the saver: SIGTERM,
# SIGINT and SIGHUP in turn, every 10 ms from 0 to 300 ms after it was
# started, on X11 and on a Wayland compositor. Each ends it with status 0,
# or, before it could watch for them, by the signal itself; none is lost
# and no copy of a track is left behind.
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/wayland.bash"
e2e_init "$1"
here=$(cd "$(dirname "$0")" && pwd)

start_xvfb 1024x768
python3 "$here/lib/start_signals.py" "$SAVER_BIN" "$XDG_RUNTIME_DIR" 300 10 2 &&
    pass "X11: every signal of the start-up ends the saver" || fail "X11: signals of the start-up"

unset DISPLAY
start_sway 1024x768
cp "$here/lib/start_signals.py" "$E2E_WORK/bin/"
as_user python3 "$E2E_WORK/bin/start_signals.py" "$SAVER_BIN" "$XDG_RUNTIME_DIR" 300 10 2 &&
    pass "Wayland: every signal of the start-up ends the saver" || fail "Wayland: signals of the start-up"
kill -0 "$SWAY" 2>/dev/null && pass "the compositor outlives them all" || fail "the compositor has gone"
e2e_done
