# The saver and its idle watcher on GNOME: a headless mutter with XWayland
# and a top bar, run once for the whole script. The saver covers the
# monitor (the top bar too) through XWayland and natively, draws, keeps
# steps of 1 and 2 pixels and ends with status 0 on a larger step, a key, a
# click or a close signal.
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/gnome.bash"
e2e_init "$1"
SIZE=800x600
start_gnome "$SIZE"

# start_gnome_saver MODE: the saver through XWayland (x11) or natively
# (wayland), waited for until a picture shows it covering the monitor;
# false, with REASON, when it does not within 10 s.
start_gnome_saver() {
    if [ "$1" == x11 ]; then
        "$SAVER_BIN" 2>"$E2E_WORK/saver.err" &
    else
        env -u DISPLAY "$SAVER_BIN" 2>"$E2E_WORK/saver.err" &
    fi
    SAVER=$!
    E2E_PIDS+=("$SAVER")
    local started
    started=$(date +%s%N)
    while [ $(( ($(date +%s%N) - started) / 1000000 )) -lt "$(scaled 10000)" ]; do
        gnome_shot "$E2E_WORK/shown.png" && covered "$E2E_WORK/shown.png" "$SIZE" && return 0
        running "$SAVER" || { REASON="the saver ended: $(cat "$E2E_WORK/saver.err")"; return 1; }
    done
    REASON="the saver did not cover the monitor within $(scaled 10) s"
    return 1
}

# The saver's table, through XWayland and natively: each case starts it
# afresh and ends it; the first also checks the window's place and steps.
cases=(
    "a 3-pixel step|gnome_command 'move 3 0'"
    "a key|gnome_command key"
    "a click|gnome_command click"
    "SIGTERM|kill -TERM \$SAVER"
    "SIGINT|kill -INT \$SAVER"
    "SIGHUP|kill -HUP \$SAVER"
)
for mode in x11 wayland; do
    for c in "${cases[@]}"; do
        start_gnome_saver $mode || { fail "$mode, ${c%%|*}: $REASON"; kill -KILL "$SAVER"; continue; }
        if [ "$c" == "${cases[0]}" ]; then
            pass "$mode: covers the monitor, the top bar too, and draws"
            if [ $mode == x11 ]; then
                window=$(x xdotool search --onlyvisible --name '^Form1$' | head -n 1)
                where=$(geometry "$window")
                [ "$where" == "$SIZE+0+0" ] && pass "x11: the window is at $where" || fail "x11: the window is at $where"
            fi
            gnome_command "move 1 0" && gnome_command "move 0 1" && gnome_command "move -2 0"
            sleep 0.3
            running "$SAVER" && pass "$mode: steps of 1 and 2 pixels keep it" || fail "$mode: ended by a small step"
        fi
        eval "${c#*|}"
        expect_end "$mode: ${c%%|*}"
    done
done
e2e_done
