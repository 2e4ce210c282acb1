# A hundred starts and stops of the real saver with its music: each run
# shows its window, gets a key 300 ms later and ends with status 0,
# leaving no process, no copy of a track and a free lock behind.
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/music.bash"
e2e_init "$1"
cycles=${CYCLES:-100}
start_xvfb 1024x768
private_saver
cp "$1"/music/*.mid "$APP/music/"
lock="$XDG_RUNTIME_DIR/linesaver/instance.lock"

bad=0
for n in $(seq "$cycles"); do
    start_saver || { fail "cycle $n: no window"; bad=1; break; }
    sleep 0.3
    x xdotool key space
    if ! wait_exit "$SAVER" 5; then
        fail "cycle $n: still running 5 s after the key"; bad=1; break
    fi
    [ "$EXIT_STATUS" -eq 0 ] || { fail "cycle $n: status $EXIT_STATUS"; bad=1; break; }
    left=$(ls -A "$XDG_RUNTIME_DIR/linesaver/c" 2>/dev/null)
    [ -z "$left" ] || { fail "cycle $n: left $left behind"; bad=1; break; }
    pgrep -f "^$SAVER_BIN" >/dev/null && { fail "cycle $n: a saver process is left"; bad=1; break; }
    flock -n "$lock" true || { fail "cycle $n: the lock is still held"; bad=1; break; }
done
[ "$bad" -eq 0 ] && pass "$cycles cycles: each ended with 0 and left nothing behind"
e2e_done
