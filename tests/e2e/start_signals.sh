# A close signal at any moment of the start-up ends the saver: SIGTERM,
# SIGINT and SIGHUP in turn, every 10 ms from 0 to 300 ms after it was
# started, on X11 and on a Wayland compositor. Each ends it with status 0,
# or, before it could watch for them, by the signal itself; none is lost
# and no copy of a track is left behind. A compositor that takes the
# connection and never answers holds the saver inside SDL's start-up: SIGTERM
# still ends it at once, with status 0.
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/wayland.bash"
e2e_init "$1"
here=$(cd "$(dirname "$0")" && pwd)

start_xvfb 1024x768
python3 "$here/lib/start_signals.py" "$SAVER_BIN" "$XDG_RUNTIME_DIR" 300 10 2 &&
    pass "X11: every signal of the start-up ends the saver" || fail "X11: signals of the start-up"

unset DISPLAY
hung="$E2E_WORK/hung-wayland"
python3 -c '
import socket, sys, time
listener = socket.socket(socket.AF_UNIX)
listener.bind(sys.argv[1])
listener.listen(8)
time.sleep(3600)' "$hung" &
E2E_PIDS+=($!)
wait_until 5 test -S "$hung"
WAYLAND_DISPLAY=$hung SDL_VIDEODRIVER=wayland "$SAVER_BIN" 2>"$E2E_WORK/saver.err" &
SAVER=$!
E2E_PIDS+=("$SAVER")
sleep 1
running "$SAVER" || fail "a hung compositor: the saver did not wait for it"
kill -TERM "$SAVER"
if ! wait_exit "$SAVER" 2; then
    fail "a hung compositor: SIGTERM does not end the saver"
else
    [ "$EXIT_STATUS" -eq 0 ] && [ ! -s "$E2E_WORK/saver.err" ] && pass "a hung compositor: SIGTERM ends the saver" ||
        fail "a hung compositor: status $EXIT_STATUS, said $(cat "$E2E_WORK/saver.err")"
fi

start_sway 1024x768
cp "$here/lib/start_signals.py" "$E2E_WORK/bin/"
as_user python3 "$E2E_WORK/bin/start_signals.py" "$SAVER_BIN" "$XDG_RUNTIME_DIR" 300 10 2 &&
    pass "Wayland: every signal of the start-up ends the saver" || fail "Wayland: signals of the start-up"
kill -0 "$SWAY" 2>/dev/null && pass "the compositor outlives them all" || fail "the compositor has gone"
e2e_done
