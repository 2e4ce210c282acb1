# The saver and its idle watcher on KWin 5.27 (headless, one output of
# 800x600 logical pixels at scale 2). The saver, through XWayland and
# natively on Wayland (the default): its window covers the output (KWin's
# window list, and no pixel of a backdrop window behind it on a picture),
# it draws (natively linesaver-render's 1600x1200 frame, through XWayland
# its 800x600 one, which KWin scales up), steps of 1 and 2 logical pixels
# keep it, a 3-pixel step, a click, a key and the close signals end it with
# status 0. Then linesaver-idle through ext_idle_notifier_v1, in the
# watcher's table (lib/idle_watch.bash): KWin has the saver full screen over
# the output. Last, on a KWin at scale 1.5, the saver natively shows the
# 1200x900 frame through KWin's fractional scale and a viewport.
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/kwin.bash"
source "$(dirname "$0")/lib/idle_watch.bash"
e2e_init "$1"
here=$(cd "$(dirname "$0")" && pwd)
start_kwin 800x600 2

coproc INPUT { python3 "$here/lib/kwin_input.py"; }
E2E_PIDS+=("$INPUT_PID")
# input STEP...: steps through KWin's fake input (see kwin_input.py).
input() { send_steps INPUT KWin "$@"; }

# A window of the output's size behind the saver, in a colour it never
# draws, open until its input closes.
mkfifo "$E2E_WORK/backdrop.in"
"$1/idle_inhibitor" 800 600 <"$E2E_WORK/backdrop.in" >"$E2E_WORK/backdrop.out" 2>&1 &
E2E_PIDS+=($!)
exec {backdrop_fd}>"$E2E_WORK/backdrop.in"
wait_until 10 grep -q holding "$E2E_WORK/backdrop.out" || fail "no backdrop: $(cat "$E2E_WORK/backdrop.out")"

# start_kwin_saver [VAR=VALUE...]: the saver, with those variables, in the
# background as $SAVER, started at $LAUNCHED and shown within 10 s.
start_kwin_saver() {
    LAUNCHED=$(date +%s%N)
    env "$@" "$SAVER_BIN" 2>"$E2E_WORK/saver.err" &
    SAVER=$!
    E2E_PIDS+=("$SAVER")
    wait_until 10 eval 'kwin_windows | grep -q "^Form1 "' && return 0
    fail "$MODE: no saver window: $(cat "$E2E_WORK/saver.err")"
    return 1
}

# saver_x_window FILE: the saver's X window as a picture (a rootless
# XWayland has no picture of its root window).
saver_x_window() { x import -window "$(x xdotool search --onlyvisible --name '^Form1$' | head -n 1)" "$1"; }

# drawn: whether a picture of the output shows something besides black.
drawn() { kwin_screenshot "$E2E_WORK/shot.png" && [ "$(lit_fraction "$E2E_WORK/shot.png")" != 0 ]; }

# Natively (the default, though XWayland is there too) the window asks for
# full screen; through XWayland (SDL_VIDEODRIVER=x11) a borderless window of
# the screen's size covers it as well.
export DISPLAY=$KWIN_DISPLAY
for MODE in XWayland Wayland; do
    if [ "$MODE" == XWayland ]; then
        export SDL_VIDEODRIVER=x11
        covering="Form1 800x600+0+0 "*
    else
        unset SDL_VIDEODRIVER
        covering="Form1 800x600+0+0 1"
    fi
    input "to 500,400"
    start_kwin_saver LINESAVER_SEED=11 || continue
    window=$(kwin_windows | grep "^Form1 ")
    [[ "$window" == $covering ]] && pass "$MODE: the window covers the output" || fail "$MODE: the window is $window"
    wait_until 4 drawn && pass "$MODE: it draws" || fail "$MODE: nothing drawn"
    if [ "$MODE" == Wayland ]; then
        frame_check "$MODE" 1600x1200 11 "$LAUNCHED" kwin_native_screenshot
    else
        frame_check "$MODE: the X window" 800x600 11 "$LAUNCHED" saver_x_window
    fi
    backdrop=$(backdrop_fraction "$E2E_WORK/shot.png")
    [ "$backdrop" == 0 ] && pass "$MODE: nothing behind it shows" || fail "$MODE: $backdrop of the picture is the backdrop"
    input "by 1,0" "by 0,1" "by -1,0" "by 2,0" "by 0,-2"
    sleep 0.3
    running "$SAVER" && pass "$MODE: steps of 1 and 2 pixels keep it" || fail "$MODE: ended by a small step"
    input "by 3,0"
    expect_end "$MODE: a 3-pixel step"
    for c in "a click|input click" "a key|input key" "SIGTERM|kill -TERM \$SAVER" "SIGINT|kill -INT \$SAVER" \
        "SIGHUP|kill -HUP \$SAVER"; do
        start_kwin_saver || continue
        sleep 0.3
        eval "${c#*|}"
        expect_end "$MODE: ${c%%|*}"
    done
done
exec {backdrop_fd}>&-

# The watcher's table, natively: the backdrop, an idle inhibitor too, is gone.
IDLE_BIN="$1/linesaver-idle"
mkdir "$E2E_WORK/bin"
cp "$1/idle_inhibitor" "$E2E_WORK/bin/"
AS_USER=(env SDL_AUDIODRIVER=dummy)
wake() { input key; }
saver_covers() { kwin_windows | grep -qx "Form1 800x600+0+0 1"; }
compositor_pid() { echo "$KWIN"; }
watcher_table "ext_idle_notifier_v1 on $WAYLAND_DISPLAY"

start_kwin 800x600 1.5
start_kwin_saver LINESAVER_SEED=7 && sleep 0.5 &&
    frame_check "scale 1.5" 1200x900 7 "$LAUNCHED" kwin_native_screenshot
kill -TERM "$SAVER"
expect_end "scale 1.5: SIGTERM"
e2e_done
