# The saver and its idle watcher on GNOME: a headless mutter with XWayland
# and a top bar, run once for the whole script. The saver covers the
# monitor (the top bar too) through XWayland and natively, draws, keeps
# steps of 1 and 2 pixels and ends with status 0 on a larger step, a key, a
# click or a close signal. linesaver-idle, on mutter's idle monitor, starts
# it after the idle time and again after input, waits while gnome-session
# holds idle inhibited, refuses a second watcher, ends with the saver on
# SIGTERM (status 0) and when mutter goes away (one line, status 1).
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/gnome.bash"
e2e_init "$1"
SIZE=800x600
start_gnome "$SIZE"

# monitor_covered: whether a picture shows the saver covering the monitor.
monitor_covered() { gnome_shot "$E2E_WORK/shown.ppm" && covered "$E2E_WORK/shown.ppm" "$SIZE"; }

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
        monitor_covered && return 0
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
# Natively, mutter tells the window that appears under a resting pointer
# another place than the pointer's, so that its first step is a long one:
# the steps are checked through XWayland alone.
for mode in x11 wayland; do
    for c in "${cases[@]}"; do
        [ $mode == wayland ] && [ "$c" == "${cases[0]}" ] && continue
        start_gnome_saver $mode || { fail "$mode, ${c%%|*}: $REASON"; kill -KILL "$SAVER"; continue; }
        [ "$c" == "${cases[1]}" ] && pass "$mode: covers the monitor, the top bar too, and draws"
        if [ $mode == x11 ] && [ "$c" == "${cases[0]}" ]; then
            window=$(x xdotool search --onlyvisible --name '^Form1$' | head -n 1)
            where=$([ -n "$window" ] && geometry "$window")
            [ "$where" == "$SIZE+0+0" ] && pass "x11: the window is at $where" || fail "x11: the window is at $where"
            # Apart in time, so that mutter does not merge them into one.
            for step in "1 0" "0 1" "-1 0" "2 0"; do gnome_command "move $step"; sleep 0.1; done
            sleep 0.3
            running "$SAVER" && pass "x11: steps of 1 and 2 pixels keep it" || fail "x11: ended by a small step"
        fi
        eval "${c#*|}"
        expect_end "$mode: ${c%%|*}"
    done
done

# The watcher starts the saver through a wrapper that notes each start's
# process, one a line.
WATCHER_BIN="$(dirname "$SAVER_BIN")/linesaver-idle"
starts="$E2E_WORK/starts"
wrapper="$E2E_WORK/saver-run"
printf '#!/bin/sh\necho $$ >>"%s"\nexec "%s" 2>>"%s"\n' "$starts" "$SAVER_BIN" "$E2E_WORK/saver.err" >"$wrapper"
chmod +x "$wrapper"
: >"$starts"
: >"$E2E_WORK/saver.err"

# start_watcher: linesaver-idle after 2 idle seconds, as WATCHER.
start_watcher() {
    "$WATCHER_BIN" --after 2s --run "$wrapper" 2>"$E2E_WORK/watcher.err" &
    WATCHER=$!
    E2E_PIDS+=("$WATCHER")
}
# saver_starts N SECONDS: whether the saver has started N times within
# SECONDS (scaled) and covers the monitor; SAVER is then the last one.
started_at_least() { [ "$(wc -l <"$starts")" -ge "$1" ]; }
saver_starts() {
    wait_until "$2" started_at_least "$1"
    [ "$(wc -l <"$starts")" -eq "$1" ] || return 1
    SAVER=$(tail -n 1 "$starts")
    E2E_PIDS+=("$SAVER")
    wait_until 4 monitor_covered
}
# gone PID [SECONDS]: whether PID, not a child of this shell, ends in time.
gone() { wait_until "${2:-5}" eval '! running '"$1"; }

# The idle time counts from the key, also when the watcher takes longer
# than that to start.
gnome_command key
idle_from=$(date +%s%N)
start_watcher
if saver_starts 1 10; then
    pass "after 2 idle seconds the watcher starts the saver, covering the monitor"
    echo "note: from the idle threshold to a picture showing the saver: $(( ($(date +%s%N) - idle_from) / 1000000 - 2000 )) ms"
else
    fail "the saver did not start on idle: $(cat "$E2E_WORK/watcher.err" "$E2E_WORK/saver.err")"
fi
grep -q "org.gnome.Mutter.IdleMonitor" "$E2E_WORK/watcher.err" && pass "the watcher uses mutter's idle monitor" ||
    fail "the watcher said $(cat "$E2E_WORK/watcher.err")"
"$WATCHER_BIN" --after 2s 2>"$E2E_WORK/second.err"
status=$?
[ $status -eq 1 ] && [ "$(wc -l <"$E2E_WORK/second.err")" -eq 1 ] && pass "a second watcher refuses with one line" ||
    fail "a second watcher: status $status, said $(cat "$E2E_WORK/second.err")"

gnome_command key
gone "$SAVER" && pass "a key ends the saver" || fail "the saver still runs after a key"
saver_starts 2 10 && pass "idle again, the saver starts again" || fail "the saver did not start again"

# gnome-session holds idle while the inhibitor lives; the saver is ended
# by a key after the inhibitor is in place.
gnome-session-inhibit --inhibit idle --reason test sleep 6 >/dev/null 2>&1 &
INHIBITOR=$!
E2E_PIDS+=("$INHIBITOR")
sleep 0.5
gnome_command key
gone "$SAVER" || fail "the saver still runs after a key"
sleep 4
[ "$(wc -l <"$starts")" -eq 2 ] && running "$INHIBITOR" && pass "an idle inhibitor holds the saver back" ||
    fail "the saver started while an idle inhibitor lived"
saver_starts 3 8 && ! running "$INHIBITOR" && pass "the inhibitor gone, the saver starts" ||
    fail "the saver did not start after the inhibitor went"

kill -TERM "$WATCHER"
wait_exit "$WATCHER" 5 && [ "$EXIT_STATUS" -eq 0 ] && gone "$SAVER" && pass "SIGTERM ends the watcher, status 0, and the saver" ||
    fail "SIGTERM: the watcher's status ${EXIT_STATUS:-none}, the saver $(running "$SAVER" && echo still runs || echo ended)"

# Last: mutter goes away while a watcher waits with the saver showing.
start_watcher
saver_starts 4 10 || fail "the saver did not start for a new watcher"
said_before=$(wc -l <"$E2E_WORK/watcher.err")
kill -KILL "$MUTTER"
{ wait "$MUTTER"; } 2>/dev/null
wait_exit "$WATCHER" 5
said=$(tail -n +$((said_before + 1)) "$E2E_WORK/watcher.err")
if running "$WATCHER"; then
    fail "mutter gone: the watcher still runs"
elif [ "$EXIT_STATUS" -ne 1 ] || ! echo "$said" | tail -n 1 | grep -q "idle source has gone"; then
    fail "mutter gone: status $EXIT_STATUS, said $said"
else
    # The saver, losing XWayland with mutter, may be heard of first.
    pass "mutter gone: the watcher says '$(echo "$said" | tail -n 1)', status 1"
fi
gone "$SAVER" && pass "mutter gone: the saver ends" || fail "mutter gone: the saver still runs"
e2e_done
