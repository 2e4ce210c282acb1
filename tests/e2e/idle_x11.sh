# linesaver-idle on a private X server: the saver starts after the idle
# time and covers the screen, a key ends it, idle starts it again; an
# `xset s reset` loop holds it back; one watcher a session; close signals,
# a missing saver, the X server going away, bad command lines, --enable and
# --disable. And the idle watchers of others start it too: xautolock when
# told to lock now, xss-lock when the X server's screen saver comes on; a
# key ends it with status 0, and xautolock starts it again the next time.
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/idle_watch.bash"
e2e_init "$1"
IDLE_BIN="$1/linesaver-idle"
export XDG_CONFIG_HOME="$E2E_WORK/config"

AS_USER=()
# The watcher's table (lib/idle_watch.bash) on X: a key is the input, the
# saver's window must cover the screen and draw, and the X server is the
# compositor that goes away.
wake() { x xdotool key space; }
saver_runs() { ! no_saver; }
saver_window() { xdotool search --onlyvisible --name '^Form1$' 2>/dev/null | head -n 1; }
saver_covers() {
    local window
    window=$(saver_window)
    [ -n "$window" ] && [ "$(geometry "$window")" == "1024x768+0+0" ] && drawn_within_a_second "$(date +%s%N)"
}
compositor_pid() { echo "${E2E_PIDS[0]}"; }

# hold_back: an `xset s reset` loop holds the saver back as long as it runs.
# The loop notes when each reset was made: a machine too busy to run it for
# a whole idle time lets the saver start rightly.
hold_back() {
    ( while :; do xset s reset 2>/dev/null; date +%s%N; sleep 0.25; done ) >"$E2E_WORK/resets" &
    local resetter=$! held=0 longest _
    E2E_PIDS+=("$resetter")
    for _ in $(seq 30); do
        no_saver || held=1
        sleep 0.2
    done
    kill "$resetter"
    longest=$(awk 'NR > 1 && $1 - last > gap {gap = $1 - last} {last = $1} END {print int(gap / 1000000)}' "$E2E_WORK/resets")
    if [ "$held" -eq 0 ]; then
        pass "xset s reset holds the saver back"
    elif [ "$longest" -ge 2000 ]; then
        skip "the machine held the xset loop back for $longest ms, longer than the idle time"
    else
        fail "the saver started during xset s reset"
    fi
}

# What the last `refuses` (common.bash: the status, one line on stderr and
# nothing on stdout) saw; the watcher says all it says in such one line.
said() { echo "status $REFUSED_STATUS, said $(cat "$E2E_WORK/out" "$E2E_WORK/err")"; }

# --- Bad command lines: one line, status 2; no source: one line, status 1.
start_xvfb 1024x768
# (Which times are refused, the watcher's unit tests pin.)
refuses 2 "$IDLE_BIN" --after 1m30 && pass "a bad --after: one line, status 2" || fail "--after 1m30: $(said)"
refuses 1 env DISPLAY= "$IDLE_BIN" --after 2s && grep -q "x11 (DISPLAY is not set)" "$E2E_WORK/err" &&
    pass "no idle source: one line naming what was tried, status 1" || fail "no display: $(said)"

watcher_table "IDLETIME through SYNC on $DISPLAY"

start_xvfb 1024x768
# --- A missing saver: one line, the watcher keeps watching, no restart loop.
start_watcher --after 1s --run /nonexistent/saver
# Within the first back-off (10 s) nothing more may come.
wait_until 10 grep -q "cannot run /nonexistent/saver" "$E2E_WORK/idle.err"
sleep 4
running "$WATCHER" && [ "$(grep -c "cannot run /nonexistent/saver" "$E2E_WORK/idle.err")" -eq 1 ] &&
    pass "a missing saver: one line, still watching" || fail "a missing saver: $(cat "$E2E_WORK/idle.err")"
kill -INT "$WATCHER"
expect_watcher_end "SIGINT" 0 2

# --- --enable writes a valid autostart entry and starts a watcher now;
# again it replaces that watcher; --disable removes both.
entry="$XDG_CONFIG_HOME/autostart/linesaver-idle.desktop"
# enable ARGS...: runs linesaver-idle --enable ARGS; sets ENABLED to the pid
# of the watcher it started.
enable() {
    local ok
    refuses 0 "$IDLE_BIN" --enable "$@" && ok=1
    ENABLED=$(grep -o 'pid [0-9]*' "$E2E_WORK/err" | cut -d' ' -f2)
    [ -n "$ENABLED" ] && E2E_PIDS+=("$ENABLED")
    if [ -z "${ok:-}" ] || [ -z "$ENABLED" ] || ! alive "$ENABLED"; then
        fail "--enable $*: $(said)"; return 1
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
refuses 0 "$IDLE_BIN" --disable && [ ! -e "$entry" ] && ! alive "$ENABLED" &&
    pass "--disable removes the entry and ends the watcher" || fail "--disable: $(said)"

# --- --disable signals only a linesaver-idle: here the lock is held and
# the recorded pid named, but by another program.
runtime="$XDG_RUNTIME_DIR/linesaver/idle-${DISPLAY/:/_}"
flock "$runtime.lock" sleep 30 &
holder=$!
E2E_PIDS+=("$holder")
wait_until 5 eval '[ -n "$(ps -o pid= --ppid '"$holder"')" ]'
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
status_wrapper "$wrapper" "$statuses" "$E2E_WORK/saver.err"
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
    wait_until 10 shown_by_the_saver || { fail "$name: the saver did not start"; cat "$E2E_WORK/saver.err"; return 1; }
    E2E_PIDS+=("$SAVER")
    sleep 0.5
    running "$SAVER" || { fail "$name: the saver ended by itself"; return 1; }
    x xdotool key space
    wait_until 10 statuses_beyond "$before" && ! running "$SAVER" && [ "$(tail -n 1 "$statuses")" == 0 ] &&
        pass "$name starts the saver; a key ends it with status 0" ||
        fail "$name: after a key the saver $(running "$SAVER" && echo still runs || echo ended), statuses: $(tr '\n' ' ' <"$statuses")"
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
    wait_until 5 no_saver
    for _ in $(seq "$(scaled 50)"); do
        xautolock -locknow 2>/dev/null || { sleep 0.1; continue; }
        wait_until 2 saver_runs && return 0
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
wait_until 1 grep -q "login manager" "$E2E_WORK/xss-lock.err"
sleep 0.2
round "xss-lock, on xset s activate" "x xset s activate"
stop_watcher
e2e_done
