# Shared helpers of the Windows build's checks, on top of the end-to-end
# tests' own (tests/e2e/lib/common.bash): one private X server and one Wine
# prefix for the whole run (making a prefix takes a quarter of a minute),
# and the saver started under Wine. Every process started here is ended
# however the run ends.
#
# Usage: source lib.bash; wine_init BUILD_DIR

source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib/common.bash"
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib/music.bash"

# wine_init BUILD_DIR: Xvfb at 1280x720 with a white root (what is not
# covered shows white), a fresh prefix with a persistent wineserver, and
# the saver copied with its music into a folder whose name holds spaces
# and non-ASCII letters, as a user's profile may.
wine_init() {
    BUILD=$(cd "$1" && pwd)
    E2E_WORK=$(mktemp -d /tmp/linesaver-wine.XXXXXX)
    trap 'wineserver -k 2>/dev/null; e2e_cleanup' EXIT
    trap 'exit 1' INT TERM HUP
    # Wine reads Unix names in the locale's character set.
    export LC_ALL=C.UTF-8
    # Debian's wineserver leaves a folder per prefix in TMPDIR.
    export TMPDIR="$E2E_WORK/tmp" WINEPREFIX="$E2E_WORK/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    mkdir -p "$TMPDIR"
    start_xvfb 1280x720 24 -wr
    wineserver -p 2>/dev/null
    local started=$(date +%s%N)
    wine wineboot --init >"$E2E_WORK/wineboot.log" 2>&1 || { cat "$E2E_WORK/wineboot.log"; exit 1; }
    echo "prefix made in $(( ($(date +%s%N) - started) / 1000000 )) ms"
    DRIVE="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/linesaver/c"
    APP="$E2E_WORK/Programme Jürgen Ölß/linesaver"
    mkdir -p "$APP"
    cp "$BUILD/bin/linesaver.scr" "$APP/"
    cp -r "$BUILD/bin/music" "$APP/"
    SAVER_BIN="$APP/linesaver.scr"
}

# drive_copy: the saver's copy of the track on its private drive.
drive_copy() { echo "$DRIVE/test.mid"; }

# start_saver [WINEDEBUG]: the saver under Wine in the background as
# $SAVER, its output in $E2E_WORK/saver.log; waits for its window.
start_saver() {
    WINEDEBUG=${1:--all} wine "$SAVER_BIN" >"$E2E_WORK/saver.log" 2>&1 &
    SAVER=$!
    E2E_PIDS+=("$SAVER")
    wait_for_window "$E2E_WORK/saver.log"
}


# xprobe cursor | close WINDOW | first-frame LIMIT_MS: the cursor's visible
# pixels; a close request as a window manager sends it; the times to the
# saver's covering the screen and its first frame.
xprobe() { /usr/bin/python3 "$here/../e2e/lib/xprobe.py" "$@"; }
# white_pixels FILE: how many pixels are pure white (uncovered root).
white_pixels() { convert "$1" -fill black +opaque white -threshold 50% -format "%[fx:mean*w*h]" info:; }
