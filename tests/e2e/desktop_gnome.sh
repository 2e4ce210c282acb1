# The saver and its idle watcher on GNOME: a headless mutter with XWayland
# and a top bar. The saver covers the monitor (the top bar too) through
# XWayland and natively, draws, keeps steps of 1 and 2 pixels and ends with
# status 0 on a larger step, a key, a click or a close signal.
# linesaver-idle, on mutter's idle monitor, starts it after the idle time
# and again after input, waits while gnome-session holds idle inhibited,
# refuses a second watcher, ends with the saver on SIGTERM (status 0) and
# when mutter goes away (one line, status 1). Then, on a mutter of two
# monitors, the saver natively follows the primary one at scale 2
# (linesaver-render's frame at its device size), leaves the other black,
# follows it unplugged, and ends in one line with status 0 when its own is.
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/gnome.bash"
source "$(dirname "$0")/lib/idle_watch.bash"
e2e_init "$1"
SIZE=800x600
start_gnome "$SIZE"

# saver_covers: whether a picture shows the saver covering the monitor.
saver_covers() { gnome_shot "$E2E_WORK/shown.png" && covered "$E2E_WORK/shown.png" "$SIZE"; }

# start_gnome_saver MODE: the saver through XWayland (x11, as
# SDL_VIDEODRIVER=x11 asks) or natively (wayland, the default), waited for
# until a picture shows it covering the monitor; false, with REASON, when
# it does not within 10 s.
start_gnome_saver() {
    if [ "$1" == x11 ]; then
        SDL_VIDEODRIVER=x11 "$SAVER_BIN" 2>"$E2E_WORK/saver.err" &
    else
        "$SAVER_BIN" 2>"$E2E_WORK/saver.err" &
    fi
    SAVER=$!
    E2E_PIDS+=("$SAVER")
    local started
    started=$(date +%s%N)
    while [ $(( ($(date +%s%N) - started) / 1000000 )) -lt "$(scaled 10000)" ]; do
        saver_covers && return 0
        running "$SAVER" || { REASON="the saver ended: $(cat "$E2E_WORK/saver.err")"; return 1; }
    done
    REASON="the saver did not cover the monitor within $(scaled 10) s"
    return 1
}

# The saver's table, through XWayland and natively: each case starts it
# afresh, covering the monitor, and ends it.
cases=(
    "a 3-pixel step|gnome_command 'move 3 0'"
    "a key|gnome_command key"
    "a click|gnome_command click"
    "SIGTERM|kill -TERM \$SAVER"
    "SIGINT|kill -INT \$SAVER"
    "SIGHUP|kill -HUP \$SAVER"
)
# Natively mutter tells the window that appears under a resting pointer
# another place than the pointer's: where the pointer enters is no step.
for mode in x11 wayland; do
    for c in "${cases[@]}"; do
        start_gnome_saver $mode || { fail "$mode, ${c%%|*}: $REASON"; kill -KILL "$SAVER"; continue; }
        [ "$c" == "${cases[1]}" ] && pass "$mode: covers the monitor, the top bar too, and draws"
        if [ "$c" == "${cases[0]}" ]; then
            if [ $mode == x11 ]; then
                window=$(x xdotool search --onlyvisible --name '^Form1$' | head -n 1)
                where=$([ -n "$window" ] && geometry "$window")
                [ "$where" == "$SIZE+0+0" ] && pass "x11: the window is at $where" || fail "x11: the window is at $where"
            fi
            # Apart in time, so that mutter does not merge them into one.
            for step in "1 0" "0 1" "-1 0" "2 0"; do gnome_command "move $step"; sleep 0.1; done
            sleep 0.3
            running "$SAVER" && pass "$mode: steps of 1 and 2 pixels keep it" || fail "$mode: ended by a small step"
        fi
        eval "${c#*|}"
        expect_end "$mode: ${c%%|*}"
    done
done

# The watcher's table (lib/idle_watch.bash) on mutter's idle monitor: a
# key is the input, a picture must show the saver covering the monitor,
# and gnome-session's inhibitor holds it back.
IDLE_BIN="$1/linesaver-idle"
AS_USER=()
wake() { gnome_command key; }
compositor_pid() { echo "$MUTTER"; }
# hold_back: the inhibitor is in place before the key that starts the idle
# time, and lives on past that time.
hold_back() {
    gnome-session-inhibit --inhibit idle --reason test sleep 6 >/dev/null 2>&1 &
    local inhibitor=$!
    E2E_PIDS+=("$inhibitor")
    sleep 0.5
    wake
    sleep 4
    no_saver && running "$inhibitor" && pass "an idle inhibitor holds the saver back" ||
        fail "the saver started while an idle inhibitor lived"
    wait_until 5 eval '! running '"$inhibitor"' || ! no_saver'
    running "$inhibitor" && fail "the saver started while the idle inhibitor still lived"
}
watcher_table "org.gnome.Mutter.IdleMonitor"

# A mutter of two monitors, the second made primary at scale 2 over its
# display configuration; then the first one unplugged, then the primary one.
start_mutter 800x600 1600x1000
start_mutter_session Meta-0 Meta-1
first="(0, 0, 1.0, 0, false, [('Meta-0', '800x600@60.000', @a{sv} {})])"
second="(800, 0, 2.0, 0, true, [('Meta-1', '1600x1000@60.000', @a{sv} {})])"
monitors "$first, $second" Meta-0 Meta-1
gnome_shot_of() { gnome_shot "$2" "$1"; }
copies() { ls -A "$XDG_RUNTIME_DIR/linesaver/c" 2>/dev/null; }
LAUNCHED=$(date +%s%N)
LINESAVER_SEED=3 "$SAVER_BIN" 2>"$E2E_WORK/saver.err" &
SAVER=$!
E2E_PIDS+=("$SAVER")
sleep 1.5
frame_check "the primary monitor at scale 2" 1600x1000 3 "$LAUNCHED" gnome_shot_of Meta-1
gnome_shot "$E2E_WORK/first.png" Meta-0
[ "$(lit_fraction "$E2E_WORK/first.png")" == 0 ] && pass "the other monitor is black" ||
    fail "the other monitor is not black"
monitors "$second"
sleep 0.5
running "$SAVER" && pass "the other monitor unplugged: it runs on" || fail "the other monitor unplugged: it ended"
monitors "${first/false/true}"
if wait_exit "$SAVER" 10 && [ "$EXIT_STATUS" == 0 ] && [ -z "$(copies)" ] &&
    [ "$(cat "$E2E_WORK/saver.err")" == "linesaver: the output it showed on has gone" ]; then
    pass "its monitor unplugged: one line, status 0, no copy left"
else
    fail "its monitor unplugged: status ${EXIT_STATUS:-none}, said $(cat "$E2E_WORK/saver.err"), left '$(copies)'"
fi
e2e_done
