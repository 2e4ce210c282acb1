# Idle watchers start the saver: xautolock when told to lock now, xss-lock
# when the X server's screen saver comes on. A key ends the saver with
# status 0, and xautolock starts it again the next time.
source "$(dirname "$0")/lib/common.bash"
e2e_init "$1"
start_xvfb 1024x768

# The watcher, not this script, starts the saver: a wrapper notes each exit
# status, one a line.
statuses="$E2E_WORK/statuses"
wrapper="$E2E_WORK/saver-run"
printf '#!/bin/sh\n"%s" 2>>"%s"\necho $? >>"%s"\n' "$SAVER_BIN" "$E2E_WORK/saver.err" "$statuses" >"$wrapper"
chmod +x "$wrapper"
: >"$statuses"

# watched_saver SECONDS: waits for the saver's window; sets SAVER to the
# saver process that shows it.
watched_saver() {
    local _ id
    for _ in $(seq $(($(scaled "$1") * 10))); do
        id=$(xdotool search --onlyvisible --name '^Form1$' 2>/dev/null | head -n 1)
        if [ -n "$id" ] && SAVER=$(x xdotool getwindowpid "$id") &&
            [ "$(readlink "/proc/$SAVER/exe")" == "$(readlink -f "$SAVER_BIN")" ]; then
            E2E_PIDS+=("$SAVER")
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# round NAME TRIGGER: TRIGGER makes the watcher start the saver; a key ends it.
round() {
    local name=$1 trigger=$2 before _
    before=$(wc -l <"$statuses")
    x xdotool mousemove 500 400
    eval "$trigger"
    watched_saver 10 || { fail "$name: the saver did not start"; cat "$E2E_WORK/saver.err"; return 1; }
    sleep 0.5
    running "$SAVER" || { fail "$name: the saver ended by itself"; return 1; }
    x xdotool key space
    for _ in $(seq "$(scaled 100)"); do
        [ "$(wc -l <"$statuses")" -gt "$before" ] && break
        sleep 0.1
    done
    if running "$SAVER"; then
        fail "$name: the saver still runs after a key"
    elif [ "$(wc -l <"$statuses")" -le "$before" ]; then
        fail "$name: no exit status"
    elif [ "$(tail -n 1 "$statuses")" != 0 ]; then
        fail "$name: status $(tail -n 1 "$statuses")"
    else
        pass "$name starts the saver; a key ends it with status 0"
    fi
}

# stop_watcher PID: ends a watcher this test started.
stop_watcher() {
    kill -TERM "$1" 2>/dev/null
    wait_exit "$1" 5 || kill -KILL "$1" 2>/dev/null
}

# locker_count: how many children the watcher has, ended ones not yet
# reaped included.
locker_count() { ps -o pid= --ppid "$watcher" | wc -l; }

# locknow: tells xautolock to start its locker. xautolock drops the request
# when it comes while the last locker has not been reaped yet, and, on a
# busy machine, when it comes while xautolock is still starting up; so the
# request waits for the last one to be reaped and is made again until a
# locker starts.
locknow() {
    local _ attempt
    for _ in $(seq "$(scaled 50)"); do
        [ "$(locker_count)" -eq 0 ] && break
        sleep 0.1
    done
    for attempt in $(seq "$(scaled 50)"); do
        xautolock -locknow 2>/dev/null || { sleep 0.1; continue; }
        for _ in $(seq "$(scaled 20)"); do
            [ "$(locker_count)" -gt 0 ] && return 0
            sleep 0.1
        done
    done
    fail "xautolock started no locker on -locknow"
}

xautolock -time 60 -locker "$wrapper" 2>"$E2E_WORK/xautolock.err" &
watcher=$!
E2E_PIDS+=("$watcher")
round "xautolock -locknow" locknow
round "xautolock -locknow, again" locknow
stop_watcher "$watcher"

# xss-lock is given its time to listen: it has once it complains of a
# missing login manager, or after a second. Without a login session it
# lives through one start only, so it gets one round.
xss-lock -- "$wrapper" 2>"$E2E_WORK/xss-lock.err" &
watcher=$!
E2E_PIDS+=("$watcher")
for _ in $(seq "$(scaled 20)"); do
    grep -q "login manager" "$E2E_WORK/xss-lock.err" && break
    sleep 0.05
done
sleep 0.2
round "xss-lock, on xset s activate" "x xset s activate"
stop_watcher "$watcher"
e2e_done
