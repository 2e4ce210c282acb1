# The desktop's idle timers run on while the saver shows: the X server's
# idle time keeps growing and its own screen saver comes on at its timeout,
# so the monitors' power saving and an idle locker still work. Games set
# SDL_VIDEO_ALLOW_SCREENSAVER=0 in the environment; the saver does not
# follow it.
source "$(dirname "$0")/lib/common.bash"
e2e_init "$1"
start_xvfb 1024x768
x xset s 2 0

# server_idle: the X server's saver state and idle milliseconds, "on 5123".
server_idle() { x python3 "$(dirname "$0")/lib/xprobe.py" idle; }

for allow in "" 0; do
    name="SDL_VIDEO_ALLOW_SCREENSAVER=${allow:-(unset)}"
    if [ -n "$allow" ]; then export SDL_VIDEO_ALLOW_SCREENSAVER=$allow; else unset SDL_VIDEO_ALLOW_SCREENSAVER; fi
    start_saver || exit 1
    read -r _ first <<<"$(server_idle)"
    sleep 3
    read -r state second <<<"$(server_idle)"
    if ! running "$SAVER"; then
        fail "$name: the saver ended while the server's saver came on"
    elif [ "$second" -lt $((first + 2500)) ]; then
        fail "$name: the server's idle time went from $first to $second ms over 3 s"
    else
        pass "$name: the server's idle time grows while the saver shows ($first, then $second ms)"
    fi
    [ "$state" == on ] && pass "$name: the server's screen saver comes on at its timeout" ||
        fail "$name: the server's screen saver is $state after $second ms idle with a 2 s timeout"
    x xdotool key space
    expect_end "$name: a key after the server's saver came on"
done
e2e_done
