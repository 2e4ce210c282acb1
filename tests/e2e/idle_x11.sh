# linesaver-idle on a private X server: the saver starts after the idle
# time and covers the screen, a key ends it, idle starts it again; an
# `xset s reset` loop holds it back; one watcher a session; close signals,
# a missing saver, the X server going away, bad command lines, --enable and
# --disable. And the idle watchers of others start it too: xautolock when
# told to lock now, xss-lock when the X server's screen saver comes on; a
# key ends it with status 0, and xautolock starts it again the next time.
source "$(dirname "$0")/lib/common.bash"
e2e_init "$1"
IDLE_BIN="$1/linesaver-idle"
export XDG_CONFIG_HOME="$E2E_WORK/config"

# start_watcher ARGS...: linesaver-idle in the background as $WATCHER,
# its lines in $E2E_WORK/idle.err; waits for its first line.
start_watcher() {
    "$IDLE_BIN" "$@" 2>"$E2E_WORK/idle.err" &
    WATCHER=$!
    E2E_PIDS+=("$WATCHER")
    wait_for 10 test -s "$E2E_WORK/idle.err"
}

# wait_for SECONDS CMD...: until CMD succeeds, at most SECONDS (scaled).
wait_for() {
    local _
    for _ in $(seq $(($(scaled "$1") * 20))); do
        "${@:2}" && return 0
        sleep 0.05
    done
    return 1
}

# The saver the watcher runs, if any (its child).
saver_pid() { ps -o pid= --ppid "$WATCHER" | tr -d ' '; }
saver_runs() { [ -n "$(saver_pid)" ]; }
saver_gone() { ! saver_runs; }
saver_window() { xdotool search --onlyvisible --name '^Form1$' 2>/dev/null | head -n 1; }
saver_shows() { [ -n "$(saver_window)" ]; }

# expect_saver NAME: the saver starts within 10 s and covers the screen;
# sets SAVER_CHILD to its pid.
expect_saver() {
    if ! wait_for 10 saver_shows; then
        fail "$1: no saver window"; cat "$E2E_WORK/idle.err"; return 1
    fi
    local geometry
    geometry=$(geometry "$(saver_window)")
    [ "$geometry" == "1024x768+0+0" ] || { fail "$1: the saver's window is $geometry"; return 1; }
    SAVER_CHILD=$(saver_pid)
    pass "$1: the saver starts and covers the screen"
}

# alive PID: the process runs (a zombie nobody reaps does not).
alive() { [ -e "/proc/$1" ] && ! grep -q '^[0-9]* (.*) Z' "/proc/$1/stat" 2>/dev/null; }

# watcher_lines: how many lines the watcher (not the saver) has said.
watcher_lines() { grep -c '^linesaver-idle: ' "$E2E_WORK/idle.err"; }

# expect_watcher_end NAME STATUS LINES [SAVER]: the watcher ends with
# STATUS having said LINES lines, and leaves the saver SAVER, if given,
# ended too.
expect_watcher_end() {
    local saver=${4:-}
    if ! wait_exit "$WATCHER" 10; then
        fail "$1: the watcher still runs"
    elif [ "$EXIT_STATUS" -ne "$2" ] || [ "$(watcher_lines)" -ne "$3" ]; then
        fail "$1: status $EXIT_STATUS, said:"; cat "$E2E_WORK/idle.err"
    elif [ -n "$saver" ] && ! wait_for 5 eval '! alive '"$saver"; then
        fail "$1: the saver still runs"
    else
        pass "$1: status $2${saver:+, the saver ended too}"
    fi
}

# --- Bad command lines: one line, status 2; no source: one line, status 1.
start_xvfb 1024x768
for after in 0 -5 10x 99999999999999999999 1m30 ""; do
    "$IDLE_BIN" --after "$after" 2>"$E2E_WORK/bad.err"
    status=$?
    if [ "$status" -ne 2 ] || [ "$(wc -l <"$E2E_WORK/bad.err")" -ne 1 ]; then
        fail "--after '$after': status $status, said $(cat "$E2E_WORK/bad.err")"
    fi
done
pass "bad --after values: one line, status 2"
DISPLAY= "$IDLE_BIN" --after 2s 2>"$E2E_WORK/bad.err"
status=$?
if [ "$status" -ne 1 ] || [ "$(wc -l <"$E2E_WORK/bad.err")" -ne 1 ] || ! grep -q "x11 (DISPLAY is not set)" "$E2E_WORK/bad.err"; then
    fail "no display: status $status, said $(cat "$E2E_WORK/bad.err")"
else
    pass "no idle source: one line naming what was tried, status 1"
fi

# --- Idle starts the saver, a key ends it, idle starts it again.
start_watcher --after 2s
grep -q "IDLETIME through SYNC on $DISPLAY" "$E2E_WORK/idle.err" || fail "first line: $(cat "$E2E_WORK/idle.err")"
expect_saver "idle"
drawn_within_a_second "$(date +%s%N)" || fail "idle: nothing drawn"
x xdotool key space
wait_for 10 saver_gone && pass "a key ends the saver" || fail "the saver still runs after a key"
key_time=$(date +%s%N)
expect_saver "idle again"
waited=$((($(date +%s%N) - key_time) / 1000000))
[ "$waited" -ge 1800 ] || fail "the saver came back $waited ms after the key, before the idle time"

# --- One watcher a session.
"$IDLE_BIN" --after 2s 2>"$E2E_WORK/second.err"
status=$?
if [ "$status" -ne 1 ] || [ "$(wc -l <"$E2E_WORK/second.err")" -ne 1 ] || [ "$(ps -o pid= --ppid "$WATCHER" | wc -l)" -ne 1 ]; then
    fail "a second watcher: status $status, said $(cat "$E2E_WORK/second.err")"
else
    pass "a second watcher refuses in one line"
fi

# --- An `xset s reset` loop holds the saver back as long as it runs.
x xdotool key space
wait_for 10 saver_gone || fail "the saver still runs after a key"
# The loop notes when each reset was made: a machine too busy to run it
# for a whole idle time lets the saver start rightly.
( while :; do xset s reset 2>/dev/null; date +%s%N; sleep 0.25; done ) >"$E2E_WORK/resets" &
resetter=$!
E2E_PIDS+=("$resetter")
held=0
for _ in $(seq 30); do
    saver_runs && held=1
    sleep 0.2
done
kill "$resetter"
longest=$(awk 'NR > 1 && $1 - last > gap {gap = $1 - last} {last = $1} END {print int(gap / 1000000)}' "$E2E_WORK/resets")
if [ "$held" -eq 0 ]; then
    pass "xset s reset holds the saver back"
elif [ "$longest" -ge 2000 ]; then
    echo "skipped: the machine held the xset loop back for $longest ms, longer than the idle time"
else
    fail "the saver started during xset s reset"
fi
expect_saver "after xset s reset stops"

# --- SIGTERM ends the watcher and the saver it started, status 0.
kill -TERM "$WATCHER"
expect_watcher_end "SIGTERM" 0 1 "$SAVER_CHILD"

# --- A missing saver: one line, the watcher keeps watching, no restart loop.
start_watcher --after 1s --run /nonexistent/saver
# Within the first back-off (10 s) nothing more may come.
wait_for 10 grep -q "cannot run /nonexistent/saver" "$E2E_WORK/idle.err"
sleep 4
if ! running "$WATCHER" || [ "$(grep -c "cannot run /nonexistent/saver" "$E2E_WORK/idle.err")" -ne 1 ]; then
    fail "a missing saver: $(cat "$E2E_WORK/idle.err")"
else
    pass "a missing saver: one line, still watching"
fi
kill -INT "$WATCHER"
expect_watcher_end "SIGINT" 0 2

# --- The X server going away: one line, status 1, the saver ended.
start_watcher --after 1s
expect_saver "before the X server goes"
{ kill -KILL "${E2E_PIDS[0]}"; wait "${E2E_PIDS[0]}"; } 2>/dev/null
expect_watcher_end "the X server gone" 1 2 "$SAVER_CHILD"

start_xvfb 1024x768
# --- --enable writes a valid autostart entry and starts a watcher now;
# again it replaces that watcher; --disable removes both.
entry="$XDG_CONFIG_HOME/autostart/linesaver-idle.desktop"
# enable ARGS...: runs linesaver-idle --enable ARGS; sets ENABLED to the pid
# of the watcher it started.
enable() {
    local status
    "$IDLE_BIN" --enable "$@" 2>"$E2E_WORK/enable.err"
    status=$?
    ENABLED=$(grep -o 'pid [0-9]*' "$E2E_WORK/enable.err" | cut -d' ' -f2)
    [ -n "$ENABLED" ] && E2E_PIDS+=("$ENABLED")
    if [ "$status" -ne 0 ] || [ "$(wc -l <"$E2E_WORK/enable.err")" -ne 1 ] || [ -z "$ENABLED" ] || ! alive "$ENABLED"; then
        fail "--enable $*: status $status, said $(cat "$E2E_WORK/enable.err")"; return 1
    fi
    if ! desktop-file-validate "$entry" >"$E2E_WORK/validate.out" 2>&1 || [ -s "$E2E_WORK/validate.out" ]; then
        fail "--enable $*: the entry is not valid: $(cat "$E2E_WORK/validate.out")"; return 1
    fi
    grep -qxF "Exec=$(readlink -f "$IDLE_BIN") --after $2" "$entry" || { fail "--enable $*: $(grep Exec "$entry")"; return 1; }
    pass "--enable $*: a valid entry, a watcher running"
}
enable --after 90s
first=$ENABLED
enable --after 2m
alive "$first" && fail "--enable again left the first watcher running"
"$IDLE_BIN" --disable 2>"$E2E_WORK/disable.err"
status=$?
if [ "$status" -ne 0 ] || [ -e "$entry" ] || alive "$ENABLED" || [ "$(wc -l <"$E2E_WORK/disable.err")" -ne 1 ]; then
    fail "--disable: status $status, said $(cat "$E2E_WORK/disable.err")"
else
    pass "--disable removes the entry and ends the watcher"
fi

# --- --disable signals only a linesaver-idle: here the lock is held and
# the recorded pid named, but by another program.
runtime="$XDG_RUNTIME_DIR/linesaver/idle-${DISPLAY/:/_}"
flock "$runtime.lock" sleep 30 &
holder=$!
E2E_PIDS+=("$holder")
wait_for 5 eval '[ -n "$(ps -o pid= --ppid '"$holder"')" ]'
ps -o pid= --ppid "$holder" | tr -d ' ' >"$runtime.pid"
stranger=$(cat "$runtime.pid")
"$IDLE_BIN" --disable 2>"$E2E_WORK/disable.err"
sleep 0.2
alive "$stranger" && grep -q "no watcher runs" "$E2E_WORK/disable.err" \
    && pass "--disable leaves a process that is not a linesaver-idle alone" \
    || fail "--disable and another program: $(cat "$E2E_WORK/disable.err")"

# --- xautolock and xss-lock. They, not this script, start the saver: a
# wrapper notes each exit status, one a line.
statuses="$E2E_WORK/statuses"
wrapper="$E2E_WORK/saver-run"
printf '#!/bin/sh\n"%s" 2>>"%s"\necho $? >>"%s"\n' "$SAVER_BIN" "$E2E_WORK/saver.err" "$statuses" >"$wrapper"
chmod +x "$wrapper"
: >"$statuses"

# shown_by_the_saver: the saver's window is shown by the saver itself (not
# the wrapper); sets SAVER to that process.
shown_by_the_saver() {
    local id
    id=$(saver_window)
    [ -n "$id" ] && SAVER=$(x xdotool getwindowpid "$id") &&
        [ "$(readlink "/proc/$SAVER/exe")" == "$(readlink -f "$SAVER_BIN")" ]
}
statuses_beyond() { [ "$(wc -l <"$statuses")" -gt "$1" ]; }

# round NAME TRIGGER: TRIGGER makes the watcher start the saver; a key ends it.
round() {
    local name=$1 trigger=$2 before
    before=$(wc -l <"$statuses")
    x xdotool mousemove 500 400
    eval "$trigger"
    wait_for 10 shown_by_the_saver || { fail "$name: the saver did not start"; cat "$E2E_WORK/saver.err"; return 1; }
    E2E_PIDS+=("$SAVER")
    sleep 0.5
    running "$SAVER" || { fail "$name: the saver ended by itself"; return 1; }
    x xdotool key space
    wait_for 10 statuses_beyond "$before"
    if running "$SAVER"; then
        fail "$name: the saver still runs after a key"
    elif ! statuses_beyond "$before"; then
        fail "$name: no exit status"
    elif [ "$(tail -n 1 "$statuses")" != 0 ]; then
        fail "$name: status $(tail -n 1 "$statuses")"
    else
        pass "$name starts the saver; a key ends it with status 0"
    fi
}

stop_watcher() {
    kill -TERM "$WATCHER" 2>/dev/null
    wait_exit "$WATCHER" 5 || kill -KILL "$WATCHER" 2>/dev/null
}

# locknow: tells xautolock to start its locker. xautolock drops the request
# when it comes while the last locker has not been reaped yet, and, on a
# busy machine, when it comes while xautolock is still starting up; so the
# request waits for the last one to be reaped and is made again until a
# locker starts.
locknow() {
    local _
    wait_for 5 saver_gone
    for _ in $(seq "$(scaled 50)"); do
        xautolock -locknow 2>/dev/null || { sleep 0.1; continue; }
        wait_for 2 saver_runs && return 0
    done
    fail "xautolock started no locker on -locknow"
}

xautolock -time 60 -locker "$wrapper" 2>"$E2E_WORK/xautolock.err" &
WATCHER=$!
E2E_PIDS+=("$WATCHER")
round "xautolock -locknow" locknow
round "xautolock -locknow, again" locknow
stop_watcher

# xss-lock is given its time to listen: it has once it complains of a
# missing login manager, or after a second. Without a login session it
# lives through one start only, so it gets one round.
xss-lock -- "$wrapper" 2>"$E2E_WORK/xss-lock.err" &
WATCHER=$!
E2E_PIDS+=("$WATCHER")
wait_for 1 grep -q "login manager" "$E2E_WORK/xss-lock.err"
sleep 0.2
round "xss-lock, on xset s activate" "x xset s activate"
stop_watcher
e2e_done
