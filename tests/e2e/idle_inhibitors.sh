# linesaver-idle and everything that holds the saver back on a bare X11
# session with a session bus nobody serves, and logind (a stand-in) on a
# system bus: one watcher at 2 s on Xvfb, the saver held while each holds
# and started once it lets go, the lock ending the saver, --status naming
# each, and the faults: bad bus calls, a flood of inhibitions, a foreign
# status channel, the session bus going away.
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/idle_watch.bash"
source "$(dirname "$0")/lib/desktops.bash"
e2e_init "$1"
IDLE_BIN="$1/linesaver-idle"
AS_USER=()
LIB="$(dirname "$0")/lib"
wake() { x xdotool key space; }
saver_covers() { x xdotool search --onlyvisible --name '^Form1$' >/dev/null 2>&1; }
start_xvfb 640x480
desktop_home
start_desktop_bus session
session_bus=${E2E_PIDS[-1]}
start_desktop_bus system
start_logind_standin

refuses 3 "$IDLE_BIN" --status && pass "--status without a watcher: one line, status 3" ||
    fail "--status without a watcher: status $REFUSED_STATUS, $(cat "$E2E_WORK/err")"
start_watcher --after 2s --verbose
grep -q "its own org.freedesktop.ScreenSaver, logind's idle inhibitors and lock, X clients' screen-saver suspensions" \
    "$E2E_WORK/idle.err" && pass "the watcher follows its service, logind and X" || fail "it said $(head -n 3 "$E2E_WORK/idle.err")"
wait_until 10 eval '! no_saver' || fail "no saver at the start"

# An X client suspending the server's screen saver (lib/xss_suspender.py).
coproc SUSPENDER { exec /usr/bin/python3 "$LIB/xss_suspender.py"; }
E2E_PIDS+=("$SUSPENDER_PID")
read -r -t "$(scaled 5)" ready <&"${SUSPENDER[0]}" && [ "$ready" == ready ] || fail "the suspender did not start"
suspender() { send_steps SUSPENDER "the suspender" "$@"; }
hold_row "XScreenSaverSuspend" "suspender on on" "suspender off off" "python3 \(pid $SUSPENDER_PID\) through XScreenSaverSuspend"
hold_row "XScreenSaverSuspend, ended without letting go" "suspender on" 'exec {SUSPENDER[1]}>&-'

root=$(xwininfo -root | awk '/Window id/{print $4}')
hold_row "xdg-screensaver suspend" "xdg-screensaver suspend $root" "xdg-screensaver resume $root" \
    "the X server's screen saver: turned off"
hold_row "xdg-screensaver reset, again and again" \
    '( while :; do xdg-screensaver reset; sleep 0.5; done ) & resetter=$!; E2E_PIDS+=($resetter)' 'kill $resetter'

hold_row "Inhibit at /org/freedesktop/ScreenSaver, then UnInhibit" "hold_awake freedesktop" "release_awake" \
    "test \(python3, pid [0-9]+\) through org.freedesktop.ScreenSaver: film"
leave_awake
hold_row "Inhibit at /ScreenSaver, then the caller leaves the bus" "hold_awake freedesktop-short" "leave_awake"
service=(gdbus call --session -d org.freedesktop.ScreenSaver -o /ScreenSaver -m org.freedesktop.ScreenSaver)
hold_row "SimulateUserActivity, again and again" \
    '( while :; do "${service[@]}".SimulateUserActivity >/dev/null; sleep 0.5; done ) & simulator=$!; E2E_PIDS+=($simulator)' \
    'kill $simulator'
hold_row "systemd-inhibit --what=idle (logind)" \
    'systemd-inhibit --what=idle --who=film --why=watching sleep "$(scaled 5)" & inhibitor=$!; E2E_PIDS+=($inhibitor)' \
    'wait_exit $inhibitor 10' "film \(systemd-inhibit, pid [0-9]+\) through logind's idle inhibitor: watching"

# Locked: the saver ends, none starts under the lock nor after it until
# the session has been active and idle again.
lock_desktop logind
wait_until 5 no_saver && status_says "locked: by logind" && pass "logind's lock ends the saver" ||
    fail "logind's lock: the saver $(no_saver && echo ended || echo runs on), $(cat "$E2E_WORK/status")"
sleep "$(scaled 3)"
unlock_desktop logind
sleep "$(scaled 3)"
no_saver && pass "none under the lock nor after it while idle" || fail "a saver started under or after the lock"
wake
wait_until 6 eval '! no_saver' && pass "active and idle again: the saver starts" || fail "no saver after the lock"

# Bad calls: D-Bus errors, nothing changed, the service still answers.
"${service[@]}".Inhibit film 2>&1 | grep -q InvalidArgs && "${service[@]}".UnInhibit 4000000 2>&1 |
    grep -q "no inhibition of yours" && "${service[@]}".GetActive | grep -q true &&
    pass "wrong arguments and an unknown cookie: D-Bus errors, still serving" || fail "bad calls to the service"
# A caller that inhibits ten thousand times and leaves holds nothing.
wake
/usr/bin/python3 - <<'PY'
from gi.repository import Gio, GLib
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
for _ in range(10000):
    bus.call_sync('org.freedesktop.ScreenSaver', '/ScreenSaver', 'org.freedesktop.ScreenSaver', 'Inhibit',
                  GLib.Variant('(ss)', ('flood', 'again')), None, Gio.DBusCallFlags.NONE, 5000)
PY
wait_until 6 eval '! no_saver' && status_says "held back: no" && pass "ten thousand inhibitions, the caller gone: none held" ||
    fail "after a flood: $(cat "$E2E_WORK/status")"

# The session bus going away: one line, and what X holds still holds.
coproc SUSPENDER { exec /usr/bin/python3 "$LIB/xss_suspender.py"; }
E2E_PIDS+=("$SUSPENDER_PID")
read -r -t "$(scaled 5)" ready <&"${SUSPENDER[0]}"
hold_row "XScreenSaverSuspend with the session bus gone" \
    'suspender on && kill $session_bus && sleep 1 && [ "$(grep -c "no longer following" "$E2E_WORK/idle.err")" -eq 1 ]' \
    "suspender off"

# A status channel that is not the watcher's: one line, status 1, at once
# or within its 2 s.
channel="$XDG_RUNTIME_DIR/linesaver/idle-${DISPLAY/:/_}.status"
for answer in "" "not a watcher"; do
    rm -f "$channel"
    /usr/bin/python3 -c 'import socket, sys, time
s = socket.socket(socket.AF_UNIX); s.bind(sys.argv[1]); s.listen(); c, _ = s.accept()
c.sendall(sys.argv[2].encode()); time.sleep(10)' "$channel" "$answer" &
    E2E_PIDS+=($!)
    wait_until 5 test -S "$channel"
    started=$(date +%s%N)
    refuses 1 "$IDLE_BIN" --status && [ $(($(date +%s%N) - started)) -lt "$(scaled 3)000000000" ] &&
        pass "a foreign status channel answering '$answer': one line, status 1" ||
        fail "a foreign status channel answering '$answer': status $REFUSED_STATUS, $(cat "$E2E_WORK/err")"
done
saver=$(watched_saver)
kill -TERM "$WATCHER"
wait_exit "$WATCHER" 10 && [ "$EXIT_STATUS" -eq 0 ] && wait_until 5 eval '! alive "$saver"' &&
    pass "SIGTERM: status 0, the saver ended too" || fail "SIGTERM: the watcher or its saver ${saver:-(none)} runs on"
e2e_done
