# Shared helpers of the end-to-end tests: a private X server, the saver
# started on it, real input through XTEST, screenshots, and a clean-up that
# ends every process a test started, however the test ends.
#
# Usage in a test:  source "$(dirname "$0")/lib/common.bash"; e2e_init "$1"

set -u

# Every deadline here, and those a test passes in, is E2E_TIME_FACTOR
# times as long: a slower build (the sanitizers') sets it.
E2E_TIME_FACTOR=${E2E_TIME_FACTOR:-1}
if [[ ! "$E2E_TIME_FACTOR" =~ ^[1-9][0-9]*$ ]]; then
    echo "E2E_TIME_FACTOR must be a whole number from 1, not '$E2E_TIME_FACTOR'" >&2
    exit 1
fi

# scaled N: N seconds, or milliseconds, times the time factor.
scaled() { echo $(($1 * E2E_TIME_FACTOR)); }

E2E_PIDS=()
MARKED=()
E2E_WORK=
E2E_FAILED=0
E2E_SKIPPED=

e2e_cleanup() {
    local pid
    for pid in "${E2E_PIDS[@]}"; do kill -TERM "$pid" 2>/dev/null; done
    for pid in "${E2E_PIDS[@]}"; do
        for _ in $(seq 20); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    [ -n "${MARKED[1]:-}" ] && for pid in $(left_behind | cut -d' ' -f1); do kill -KILL "$pid"; done
    [ -n "$E2E_WORK" ] && [ -z "${E2E_KEEP:-}" ] && rm -rf "$E2E_WORK"
}

# e2e_init BIN_DIR: the saver at BIN_DIR/linesaver, a fresh work folder and
# a fresh runtime folder, so tests never share a lock or a drive.
e2e_init() {
    SAVER_BIN="$1/linesaver"
    RENDER_BIN="$1/linesaver-render"
    [ -x "$SAVER_BIN" ] || { echo "no saver at $SAVER_BIN"; exit 1; }
    E2E_WORK=$(mktemp -d /tmp/linesaver-e2e.XXXXXX)
    MARKED=(env "LINESAVER_E2E_RUN=$E2E_WORK")
    trap e2e_cleanup EXIT
    trap 'exit 1' INT TERM HUP
    export XDG_RUNTIME_DIR="$E2E_WORK/run"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    unset WAYLAND_DISPLAY
    # Test machines have no sound card; the music has tests of its own.
    export SDL_AUDIODRIVER=dummy
    # A session without a bus, as startx makes; tests that need one start
    # their own.
    unset DBUS_SESSION_BUS_ADDRESS
}

# left_behind: the processes still running that carry the mark of this
# test's savers, "PID COMMAND" a line. "${MARKED[@]}" COMMAND... runs a
# saver with the mark in its environment (start_saver does), where
# whatever it starts inherits it, daemonized and reparented or not.
left_behind() {
    local file pid
    for file in $(grep -lzx "${MARKED[1]}" /proc/[0-9]*/environ 2>/dev/null); do
        pid=${file#/proc/}
        pid=${pid%/environ}
        echo "$pid $(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)"
    done
}

fail() {
    echo "FAIL: $*"
    E2E_FAILED=1
}

pass() { echo "ok: $*"; }

# skip WHY: a check this machine cannot make; the test ends as skipped
# (CTest's SKIP_RETURN_CODE, 77) unless another check fails.
skip() {
    echo "skipped: $*"
    E2E_SKIPPED=1
}

# send_steps COPROC WHAT STEP...: hands each step to a coprocess that
# answers "ok" once it has carried it out (a virtual pointer or keyboard);
# WHAT names it when one is not taken.
send_steps() {
    local -n proc=$1
    local what=$2 step answer
    shift 2
    for step in "$@"; do
        [ -n "${proc[1]:-}" ] || { fail "$what is gone before $step"; return 1; }
        echo "$step" >&"${proc[1]}"
        read -r -t 5 answer <&"${proc[0]}" && [ "$answer" == ok ] || { fail "$what did not take $step"; return 1; }
    done
}

# The result of the whole test.
e2e_done() {
    [ "$E2E_FAILED" -ne 0 ] && exit 1
    [ -n "$E2E_SKIPPED" ] && exit 77
    echo "all passed"
    exit 0
}

# start_xvfb WxH [DEPTH [ARGS...]]: an X server (24 bits deep unless told,
# with more arguments if given) on a display number it picks itself.
start_xvfb() {
    local fifo="$E2E_WORK/displayfd"
    rm -f "$fifo"
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "${1}x${2:-24}" "${@:3}" -nolisten tcp -noreset 3>"$fifo" 2>"$E2E_WORK/xvfb.log" &
    E2E_PIDS+=($!)
    local number
    if ! read -r -t "$(scaled 10)" number <"$fifo"; then
        echo "Xvfb did not start:"; cat "$E2E_WORK/xvfb.log"; exit 1
    fi
    export DISPLAY=":$number"
}

# x CMD...: an X client command, tried again when a busy server refused
# the connection.
x() {
    local try
    for try in 1 2 3 4 5; do
        "$@" 2>"$E2E_WORK/x.err" && return 0
        grep -q "Can't open display\|unable to open display" "$E2E_WORK/x.err" || break
        sleep 0.2
    done
    cat "$E2E_WORK/x.err" >&2
    return 1
}

# start_saver: runs the saver in the background as $SAVER and waits (up to
# 10 s, scaled) until its window is on the screen.
start_saver() {
    "${MARKED[@]}" "$SAVER_BIN" "$@" 2>"$E2E_WORK/saver.err" &
    SAVER=$!
    E2E_PIDS+=("$SAVER")
    wait_for_window "$E2E_WORK/saver.err"
}

# wait_for_window LOG: waits (up to 10 s, scaled) until the saver's window
# is on the screen; SHOWN is when it was seen (date +%s%N). Shows LOG when
# the saver ended before.
wait_for_window() {
    local _
    for _ in $(seq "$(scaled 100)"); do
        if x xdotool search --onlyvisible --name '^Form1$' >/dev/null 2>&1; then
            SHOWN=$(date +%s%N)
            return 0
        fi
        kill -0 "$SAVER" 2>/dev/null || { echo "the saver ended before its window showed"; cat "$1"; return 1; }
        sleep 0.1
    done
    echo "no window after $(scaled 10) s"
    return 1
}

# wait_exit PID [SECONDS]: waits for PID to end; sets EXIT_STATUS, or
# returns 1 when it still runs after SECONDS (default 10), scaled.
wait_exit() {
    local pid=$1 limit=${2:-10} _
    for _ in $(seq $(($(scaled "$limit") * 20))); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            EXIT_STATUS=$?
            return 0
        fi
        sleep 0.05
    done
    return 1
}

running() { kill -0 "$1" 2>/dev/null; }

# wait_until SECONDS CMD...: until CMD succeeds, at most SECONDS (scaled).
wait_until() {
    local _
    for _ in $(seq $(($(scaled "$1") * 10))); do
        "${@:2}" && return 0
        sleep 0.1
    done
    return 1
}

# expect_end NAME [COPY]: the saver ends within 10 s with status 0, says
# nothing (but for SDL's note on its file audio) and leaves no process
# behind, and COPY, when given, is gone. One still running is ended, so
# the next case starts afresh.
expect_end() {
    if ! wait_exit "$SAVER" 10; then
        fail "$1: still running"
        kill -KILL "$SAVER"
        wait "$SAVER" 2>/dev/null
    elif [ "$EXIT_STATUS" -ne 0 ]; then
        fail "$1: status $EXIT_STATUS"
    elif grep -qv '^CRITICAL: ' "$E2E_WORK/saver.err" 2>/dev/null; then
        fail "$1: printed $(cat "$E2E_WORK/saver.err")"
    elif [ -n "$(left_behind)" ]; then
        fail "$1: left running: $(left_behind)"
    elif [ -n "${2:-}" ] && [ -e "$2" ]; then
        fail "$1: the copy of the track is still there"
    else
        pass "$1 ends it${2:+ and removes the copy}"
    fi
}

# geometry WINDOW: where a window is, as WxH+X+Y.
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
        /Width/{w=$NF} /Height/{h=$NF} END{print w "x" h "+" x "+" y}'
}

# drawn_within_a_second SHOWN [WxH+X+Y]: whether the screen, or a region of
# it, shows something besides black within a second (scaled) of SHOWN
# (date +%s%N); the last screenshot stays in $E2E_WORK/drawn.png.
drawn_within_a_second() { drawn_within 1000 "$@"; }

# drawn_within MILLISECONDS SHOWN [WxH+X+Y]: the same within that many
# milliseconds (scaled).
drawn_within() {
    local limit
    limit=$(scaled "$1")
    shift
    while [ $(( ($(date +%s%N) - $1) / 1000000 )) -lt "$limit" ]; do
        screenshot "$E2E_WORK/drawn.png" && lit "$E2E_WORK/drawn.png" "${2:-}" && return 0
    done
    return 1
}

# screenshot FILE: the whole screen as a PNG.
screenshot() { x import -window root "$1"; }

# lit_fraction FILE [WxH+X+Y]: the share of pixels, of the whole picture or
# a region, that are not black, 0..1.
lit_fraction() { convert "$1" ${2:+-crop "$2" +repage} -threshold 1% -format "%[fx:mean]" info:; }

# white_fraction FILE WxH+X+Y: the share of pure white pixels in a region.
white_fraction() { convert "$1" -crop "$2" +repage -fill black +opaque white -threshold 50% -format "%[fx:mean]" info:; }

# differing_pixels A B: how many pixels differ between two screenshots.
differing_pixels() { compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1; }

# status_wrapper WRAPPER STATUSES ERRORS: a script WRAPPER that runs the
# saver, its lines added to ERRORS, and then adds its exit status to
# STATUSES, one a line; for the idle watchers of others to start.
status_wrapper() {
    printf '#!/bin/sh\n"%s" 2>>"%s"\necho $? >>"%s"\n' "$SAVER_BIN" "$3" "$2" >"$1"
    chmod 755 "$1"
}

# lit FILE [WxH+X+Y]: whether the picture, or a region of it, shows
# anything besides black.
lit() { awk -v l="$(lit_fraction "$@")" 'BEGIN{exit !(l > 0)}'; }

# screen_changes: whether the screen changes within half a second; CHANGED
# says how many pixels did.
screen_changes() {
    screenshot "$E2E_WORK/a.png"
    sleep 0.5
    screenshot "$E2E_WORK/b.png"
    CHANGED=$(differing_pixels "$E2E_WORK/a.png" "$E2E_WORK/b.png")
    [ "${CHANGED:-0}" -gt 0 ]
}

# refuses STATUS COMMAND...: the command ends with STATUS, writes nothing
# on stdout and one line on stderr ($E2E_WORK/err); it ended with
# $REFUSED_STATUS.
refuses() {
    local want=$1
    shift
    "$@" >"$E2E_WORK/out" 2>"$E2E_WORK/err"
    REFUSED_STATUS=$?
    [ "$REFUSED_STATUS" -eq "$want" ] && [ ! -s "$E2E_WORK/out" ] && [ "$(wc -l <"$E2E_WORK/err")" -eq 1 ]
}

# frame_check NAME SIZE SEED LAUNCHED SHOT...: holds the saver ($SAVER,
# started at LAUNCHED, date +%s%N, with LINESAVER_SEED=SEED) still while
# SHOT... FILE takes a picture of the output it animates, and passes when
# that picture is, byte for byte, linesaver-render's frame for that seed at
# SIZE (the output's device pixels) after some tick N: one canvas pixel to
# each device pixel, over all of the output. N is sought down from the most
# ticks the saver can have run.
frame_check() {
    local name=$1 size=$2 seed=$3 launched=$4 most ticks
    shift 4
    kill -STOP "$SAVER"
    most=$(( ($(date +%s%N) - launched) / 15000000 + 1 ))
    "$@" "$E2E_WORK/shown.png"
    kill -CONT "$SAVER"
    convert "$E2E_WORK/shown.png" -depth 8 rgb:"$E2E_WORK/shown.rgb" || { fail "$name: no picture"; return 1; }
    for ((ticks = most; ticks > 0 && ticks > most - 200; ticks--)); do
        "$RENDER_BIN" frame --seed "$seed" --size "$size" --ticks "$ticks" "$E2E_WORK/frame.png" &&
            convert "$E2E_WORK/frame.png" -depth 8 rgb:"$E2E_WORK/frame.rgb" &&
            cmp -s "$E2E_WORK/shown.rgb" "$E2E_WORK/frame.rgb" &&
            { pass "$name: linesaver-render's $size frame after $ticks ticks, byte for byte"; return 0; }
    done
    fail "$name: the picture ($(identify -format %wx%h "$E2E_WORK/shown.png")) is no $size frame of ticks $((ticks + 1))..$most"
}
