# Shared helpers of the Windows build's checks: one private X server and one
# Wine prefix for the whole run (making a prefix takes a quarter of a
# minute), the saver started under Wine, real input through XTEST and
# screenshots. Every process started here is ended however the run ends.
#
# Usage: source lib.bash; wine_init BUILD_DIR

set -u

W_PIDS=()
W_WORK=
W_FAILED=0

fail() { echo "FAIL: $*"; W_FAILED=1; }
pass() { echo "ok: $*"; }

wine_cleanup() {
    local pid
    for pid in "${W_PIDS[@]}"; do kill -KILL "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
    [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null
    [ -n "$W_WORK" ] && [ -z "${W_KEEP:-}" ] && rm -rf "$W_WORK"
}

# wine_init BUILD_DIR: Xvfb at 1280x720 with a white root (what is not
# covered shows white), a fresh prefix with a persistent wineserver, and
# the saver copied with its music into a folder whose name holds spaces
# and non-ASCII letters, as a user's profile may.
wine_init() {
    BUILD=$(cd "$1" && pwd)
    W_WORK=$(mktemp -d /tmp/linesaver-wine.XXXXXX)
    trap wine_cleanup EXIT
    trap 'exit 1' INT TERM HUP
    # Wine reads Unix names in the locale's character set.
    export LC_ALL=C.UTF-8
    # Debian's wineserver leaves a folder per prefix in TMPDIR.
    export TMPDIR="$W_WORK/tmp" WINEPREFIX="$W_WORK/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    mkdir -p "$TMPDIR"
    local fifo="$W_WORK/displayfd" number
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x720x24 -wr -nolisten tcp -noreset 3>"$fifo" 2>"$W_WORK/xvfb.log" &
    W_PIDS+=($!)
    read -r -t 10 number <"$fifo" || { echo "Xvfb did not start"; exit 1; }
    export DISPLAY=":$number"
    wineserver -p 2>/dev/null
    local started=$(date +%s%N)
    wine wineboot --init >"$W_WORK/wineboot.log" 2>&1 || { cat "$W_WORK/wineboot.log"; exit 1; }
    echo "prefix made in $(( ($(date +%s%N) - started) / 1000000 )) ms"
    DRIVE="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/linesaver/c"
    APP="$W_WORK/Programme Jürgen Ölß/linesaver"
    mkdir -p "$APP"
    cp "$BUILD/bin/linesaver.scr" "$APP/"
    cp -r "$BUILD/bin/music" "$APP/"
    SAVER="$APP/linesaver.scr"
}

# start_saver [WINEDEBUG]: the saver in the background as $PID, its
# output in $W_WORK/saver.log; waits (up to 10 s) for its window. STARTED
# and SHOWN are when it was started and when its window was seen.
start_saver() {
    WINEDEBUG=${1:--all} wine "$SAVER" >"$W_WORK/saver.log" 2>&1 &
    PID=$!
    W_PIDS+=("$PID")
    STARTED=$(date +%s%N)
    local _
    for _ in $(seq 100); do
        if xdotool search --onlyvisible --name '^Form1$' >/dev/null 2>&1; then
            SHOWN=$(date +%s%N)
            return 0
        fi
        kill -0 "$PID" 2>/dev/null || { echo "the saver ended before its window showed"; return 1; }
        sleep 0.1
    done
    echo "no window after 10 s"
    return 1
}

running() { kill -0 "$1" 2>/dev/null; }

# wait_exit PID [SECONDS]: sets EXIT_STATUS, or returns 1 when PID still
# runs after SECONDS (default 10).
wait_exit() {
    local pid=$1 limit=${2:-10} _
    for _ in $(seq $((limit * 100))); do
        if ! running "$pid"; then
            wait "$pid"
            EXIT_STATUS=$?
            return 0
        fi
        sleep 0.01
    done
    return 1
}

# expect_end NAME: the saver ends within 10 s with status 0 and its copy
# of the track is gone.
expect_end() {
    if ! wait_exit "$PID" 10; then
        fail "$1: still running"
        kill -KILL "$PID"
        wait "$PID" 2>/dev/null
    elif [ "$EXIT_STATUS" -ne 0 ]; then
        fail "$1: status $EXIT_STATUS"
    elif [ -e "$DRIVE/test.mid" ]; then
        fail "$1: the copy of the track is left"
    else
        pass "$1 ends it with status 0, the copy gone"
    fi
}

# xprobe cursor | close WINDOW: the cursor's visible pixels; a close
# request as a window manager sends it.
xprobe() { python3 "$here/../e2e/lib/xprobe.py" "$@"; }
screenshot() { import -window root "$1"; }
# lit_fraction FILE [WxH+X+Y]: the share of pixels that are not black, of
# the whole or of a region.
lit_fraction() { convert "$1" ${2:+-crop "$2" +repage} -threshold 1% -format "%[fx:mean]" info:; }
# white_pixels FILE: how many pixels are pure white (uncovered root).
white_pixels() { convert "$1" -fill black +opaque white -threshold 50% -format "%[fx:mean*w*h]" info:; }
