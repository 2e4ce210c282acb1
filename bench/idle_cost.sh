#!/usr/bin/env bash
# What linesaver-idle costs on a private X server: the time from the idle
# threshold to the saver's first frame on screen (five rounds), then its
# CPU time and peak memory over a long wait (IDLE_SECONDS, default 600)
# with everything it follows there (its own org.freedesktop.ScreenSaver on
# a private session bus, logind's stand-in on a private system bus, the X
# server's suspensions), then over a minute of a client inhibiting and
# releasing every second, on the bus and on the X server.
#   bench/idle_cost.sh [BIN_DIR]      (default build/bin)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-$root/build/bin}
seconds=${IDLE_SECONDS:-600}
for program in "$bin/linesaver-pacing" "$bin/linesaver-idle"; do
    [ -x "$program" ] || { echo "idle_cost: no $program; build it first" >&2; exit 1; }
done
work=$(mktemp -d /tmp/linesaver-idle-cost.XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR=$work/run SDL_AUDIODRIVER=dummy
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY

mkfifo "$work/displayfd"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/displayfd" 2>/dev/null &
pids+=($!)
read -r -t 10 number <"$work/displayfd"
export DISPLAY=:$number

# The idle threshold is 3 s after the last key. The saver started is
# linesaver-pacing, the saver with a probe that reports its first frame on
# screen from a given CLOCK_MONOTONIC time: the threshold, reckoned from
# just before the key is sent, so the figure is an upper bound.
printf '#!/bin/sh\nexec "%s" --seconds 1 --launched-at "$(cat "%s")" >>"%s"\n' \
    "$bin/linesaver-pacing" "$work/threshold" "$work/pacing.json" >"$work/saver-run"
chmod +x "$work/saver-run"
: >"$work/pacing.json"
"$bin/linesaver-idle" --after 3s --run "$work/saver-run" 2>"$work/watcher.err" &
watcher=$!
pids+=("$watcher")
for round in 1 2 3 4 5; do
    sleep 1
    echo $(($(/usr/bin/python3 -c 'import time; print(time.monotonic_ns())') + 3000000000)) >"$work/threshold"
    xdotool key shift
    for _ in $(seq 300); do
        [ "$(wc -l <"$work/pacing.json")" -ge "$round" ] && break
        sleep 0.05
    done
done
kill -TERM "$watcher"
wait "$watcher" || true
echo "idle threshold to the saver's first frame on screen, at most:" \
    $(grep -o '"first_frame_ms": [0-9.-]*' "$work/pacing.json" | cut -d' ' -f2) ms
# bus VARIABLE: a private bus whose address goes into VARIABLE.
bus() {
    mkfifo "$work/$1"
    dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$work/$1" >/dev/null 2>&1 &
    pids+=($!)
    read -r -t 10 "$1" <"$work/$1"
    export "${1?}"
}
bus DBUS_SESSION_BUS_ADDRESS
bus DBUS_SYSTEM_BUS_ADDRESS
/usr/bin/python3 -m dbusmock --system --template "$root/tests/e2e/lib/logind_standin.py" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do busctl --system status org.freedesktop.login1 >/dev/null 2>&1 && break; sleep 0.1; done
"$bin/linesaver-idle" --after 1h 2>"$work/watcher.err" &
watcher=$!
pids+=("$watcher")
sleep 1
head -n 1 "$work/watcher.err"
ticks() { awk '{print $14 + $15}' "/proc/$watcher/stat"; }
kib() { awk -v field="$1:" '$1 == field {print $2}' "/proc/$watcher/status"; }
before=$(ticks)
sleep "$seconds"
after=$(ticks)
hz=$(getconf CLK_TCK)
awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" \
    'BEGIN{printf "CPU while waiting %d s: %d ticks of 1/%d s = %.4f %% of one core\n", s, t, hz, 100 * t / hz / s}'
echo "peak memory: $(kib VmHWM) kB"

# A minute of a client inhibiting and releasing every second, through the
# bus and through the X server; the watcher's memory after the first ten
# seconds and at the end.
/usr/bin/python3 - <<'PY' &
import ctypes, time
from gi.repository import Gio, GLib
xlib, xss = ctypes.CDLL('libX11.so.6'), ctypes.CDLL('libXss.so.1')
xlib.XOpenDisplay.restype = ctypes.c_void_p
display = ctypes.c_void_p(xlib.XOpenDisplay(None))
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
def call(method, arguments, reply):
    return bus.call_sync('org.freedesktop.ScreenSaver', '/org/freedesktop/ScreenSaver', 'org.freedesktop.ScreenSaver',
                         method, arguments, reply, Gio.DBusCallFlags.NONE, 5000)
for _ in range(60):
    cookie = call('Inhibit', GLib.Variant('(ss)', ('bench', 'a second')), GLib.VariantType('(u)')).unpack()[0]
    xss.XScreenSaverSuspend(display, True); xlib.XSync(display, 0)
    time.sleep(0.5)
    call('UnInhibit', GLib.Variant('(u)', (cookie,)), None)
    xss.XScreenSaverSuspend(display, False); xlib.XSync(display, 0)
    time.sleep(0.5)
PY
churn=$!
pids+=("$churn")
before=$(ticks)
sleep 10
early=$(kib VmRSS)
wait "$churn"
after=$(ticks)
echo "a minute of inhibiting and releasing every second: $((after - before)) ticks of 1/$hz s," \
    "memory $early kB after 10 s, $(kib VmRSS) kB at the end, $(kib VmHWM) kB at most"
