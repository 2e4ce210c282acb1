#!/usr/bin/env bash
# What linesaver-idle costs on a private X server: the time from the idle
# threshold to the saver's first frame on screen (three rounds), then its
# CPU time and peak memory over a long wait (IDLE_SECONDS, default 600).
#   bench/idle_cost.sh [BIN_DIR]      (default build/bin)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-$root/build/bin}
seconds=${IDLE_SECONDS:-600}
for program in "$bin/linesaver" "$bin/linesaver-idle"; do
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
now_ms() { echo $(($(date +%s%N) / 1000000)); }
lit() { import -window root "$work/shot.png" 2>/dev/null &&
    [ "$(convert "$work/shot.png" -threshold 1% -format '%[fx:mean>0]' info:)" = 1 ]; }

# The idle threshold is 3 s after the last key. The saver is started
# through a wrapper that notes the time; the first frame is the first
# screenshot that is not black, so that figure is late by up to one
# screenshot (a few hundred ms on a busy machine).
printf '#!/bin/sh\necho $(($(date +%%s%%N) / 1000000)) >"%s"\nexec "%s"\n' "$work/started" "$bin/linesaver" >"$work/saver-run"
chmod +x "$work/saver-run"
"$bin/linesaver-idle" --after 3s --run "$work/saver-run" 2>"$work/watcher.err" &
watcher=$!
pids+=("$watcher")
starts=() frames=()
for round in 1 2 3 4 5; do
    sleep 1
    rm -f "$work/started"
    xdotool key shift
    threshold=$(($(now_ms) + 3000))
    until lit; do
        [ $(($(now_ms) - threshold)) -lt 10000 ] || { echo "idle_cost: no frame"; cat "$work/watcher.err"; exit 1; }
    done
    frames+=($(($(now_ms) - threshold)))
    starts+=($(($(cat "$work/started") - threshold)))
    xdotool key shift
    while lit; do sleep 0.1; done
done
kill -TERM "$watcher"
wait "$watcher" || true
echo "idle threshold to the saver started: ${starts[*]} ms"
echo "idle threshold to its first frame seen: ${frames[*]} ms"

"$bin/linesaver-idle" --after 1h 2>/dev/null &
watcher=$!
pids+=("$watcher")
sleep 1
ticks() { awk '{print $14 + $15}' "/proc/$watcher/stat"; }
before=$(ticks)
sleep "$seconds"
after=$(ticks)
hz=$(getconf CLK_TCK)
awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" \
    'BEGIN{printf "CPU while waiting %d s: %d ticks of 1/%d s = %.4f %% of one core\n", s, t, hz, 100 * t / hz / s}'
echo "peak memory: $(awk '/VmHWM/{print $2, $3}' "/proc/$watcher/status")"
