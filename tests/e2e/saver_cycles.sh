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

problem=
for n in $(seq "$cycles"); do
    start_saver || { problem="no window"; break; }
    sleep 0.3
    x xdotool key space
    if ! wait_exit "$SAVER" 5; then problem="still running 5 s after the key"
    elif [ "$EXIT_STATUS" -ne 0 ]; then problem="status $EXIT_STATUS"
    elif [ -n "$(ls -A "$XDG_RUNTIME_DIR/linesaver/c" 2>/dev/null)" ]; then problem="left $(ls -A "$XDG_RUNTIME_DIR/linesaver/c") behind"
    elif [ -n "$(left_behind)" ]; then problem="left running: $(left_behind)"
    elif ! flock -n "$lock" true; then problem="the lock is still held"
    fi
    [ -n "$problem" ] && break
done
[ -z "$problem" ] && pass "$cycles cycles: each ended with 0 and left nothing behind" || fail "cycle $n: $problem"
e2e_done
