#!/usr/bin/env bash
# What linesaver-idle costs on a private X server: the time from the idle
# threshold to the saver's first frame on screen (five rounds), then its
# CPU time and peak memory over a long wait (IDLE_SECONDS, default 600).
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
