# The idle watcher's table on a Wayland compositor, after common.bash and
# wayland.bash. The script that sources it starts the compositor, copies
# linesaver-idle and idle_inhibitor into $E2E_WORK/bin and defines:
#   wake                 input that resets the idle time (and ends a saver)
#   saver_covers         whether the saver's window covers the output
#   compositor_pid       the compositor's process id
# and may define hold_back (below: an idle inhibitor) and IDLE_BIN (the
# watcher to run), then calls watcher_table SOURCE, SOURCE being what the watcher's first
# line must name ("org_kde_kwin_idle on wayland-1").

# backdrop_fraction PICTURE: how much of it shows #fe0101, a colour the
# saver never draws (idle_inhibitor's, the background's).
backdrop_fraction() { convert "$1" -fill black +opaque '#fe0101' -fill white -opaque '#fe0101' -format '%[fx:mean]' info:; }

# start_watcher ARGS...: linesaver-idle as the test user in the background
# as $WATCHER, its lines in $E2E_WORK/idle.err; waits for its first line.
start_watcher() {
    "${AS_USER[@]}" "${IDLE_BIN:-$E2E_WORK/bin/linesaver-idle}" "$@" 2>"$E2E_WORK/idle.err" &
    WATCHER=$!
    E2E_PIDS+=("$WATCHER")
    wait_until 10 test -s "$E2E_WORK/idle.err"
}

# The saver the watcher started, if any.
watched_saver() { ps -o pid= --ppid "$WATCHER" | tr -d ' '; }
no_saver() { [ -z "$(watched_saver)" ]; }

# alive PID: the process runs (a zombie nobody reaps does not).
alive() { [ -e "/proc/$1" ] && ! grep -q '^[0-9]* (.*) Z' "/proc/$1/stat" 2>/dev/null; }

# expect_watcher_end NAME STATUS LINES [SAVER]: the watcher ends with
# STATUS having said LINES lines, and the saver it ran (SAVER), when
# named, has ended too.
expect_watcher_end() {
    local saver=${4-}
    if [ $# -ge 4 ] && [ -z "$saver" ]; then
        fail "$1: no saver ran"
    elif ! wait_exit "$WATCHER" 10; then
        fail "$1: the watcher still runs"
    elif [ "$EXIT_STATUS" -ne "$2" ] || [ "$(grep -c '^linesaver-idle: ' "$E2E_WORK/idle.err")" -ne "$3" ]; then
        fail "$1: status $EXIT_STATUS, said: $(cat "$E2E_WORK/idle.err")"
    elif [ -n "$saver" ] && ! wait_until 5 eval '! alive '"$saver"; then
        fail "$1: the saver still runs"
    else
        pass "$1: status $2${saver:+, the saver ended too}"
    fi
}

# expect_saver NAME: the saver starts within 10 s and covers the output.
expect_saver() {
    if wait_until 10 saver_covers; then
        pass "$1: the saver starts and covers the output"
    else
        fail "$1: no saver covering the output"
        cat "$E2E_WORK/idle.err"
    fi
}

# hold_back: an idle inhibitor holds the saver back for as long as it
# lives; it holds its inhibitor until its input closes.
hold_back() {
    rm -f "$E2E_WORK/inhibitor.in"
    mkfifo -m 644 "$E2E_WORK/inhibitor.in"
    "${AS_USER[@]}" "$E2E_WORK/bin/idle_inhibitor" <"$E2E_WORK/inhibitor.in" >"$E2E_WORK/inhibitor.out" 2>&1 &
    local inhibitor=$! hold
    E2E_PIDS+=("$inhibitor")
    exec {hold}>"$E2E_WORK/inhibitor.in"
    wait_until 10 grep -q holding "$E2E_WORK/inhibitor.out" || fail "the idle inhibitor: $(cat "$E2E_WORK/inhibitor.out")"
    sleep "$(scaled 5)"
    no_saver && pass "an idle inhibitor holds the saver back" || fail "the saver started under an idle inhibitor"
    exec {hold}>&-
    wait_exit "$inhibitor" 5 || fail "the idle inhibitor did not end"
}

watcher_table() {
    start_watcher --after 2s
    grep -q "$1" "$E2E_WORK/idle.err" || fail "its first line: $(cat "$E2E_WORK/idle.err")"
    expect_saver "idle"
    wake
    wait_until 10 no_saver && pass "input ends the saver" || fail "the saver still runs after input"
    local woken
    woken=$(date +%s%N)
    expect_saver "idle again"
    local waited=$((($(date +%s%N) - woken) / 1000000))
    [ "$waited" -ge 1800 ] || fail "the saver came back $waited ms after the input, before the idle time"

    "${AS_USER[@]}" "${IDLE_BIN:-$E2E_WORK/bin/linesaver-idle}" --after 2s 2>"$E2E_WORK/second.err"
    local status=$?
    [ "$status" -eq 1 ] && [ "$(wc -l <"$E2E_WORK/second.err")" -eq 1 ] && [ "$(watched_saver | wc -l)" -eq 1 ] &&
        pass "a second watcher refuses in one line" || fail "a second watcher: status $status, said $(cat "$E2E_WORK/second.err")"

    wake
    wait_until 10 no_saver || fail "the saver still runs after input"
    hold_back
    expect_saver "the hold gone"

    local saver
    saver=$(watched_saver)
    kill -TERM "$WATCHER"
    expect_watcher_end "SIGTERM" 0 1 "$saver"

    # The saver runs past the time within which an end counts as a failure
    # at start: a saver that ends with the compositor sooner may be judged
    # before the watcher has read that the compositor went.
    start_watcher --after 1s
    expect_saver "before the compositor goes"
    saver=$(watched_saver)
    sleep 2.5
    kill -KILL "$(compositor_pid)"
    expect_watcher_end "the compositor gone" 1 2 "$saver"
}

# status_says REGEX: `linesaver-idle --status` has a line matching REGEX;
# its answer stays in $E2E_WORK/status.
status_says() {
    "${AS_USER[@]}" "${IDLE_BIN:-$E2E_WORK/bin/linesaver-idle}" --status >"$E2E_WORK/status" 2>&1 &&
        grep -qE "$1" "$E2E_WORK/status"
}

# hold_row NAME HOLD RELEASE [STATUS]: with the saver ended by input, HOLD
# (a command line) holds it back for longer than the idle time, and
# `--status` names it (a line matching STATUS, when given); after RELEASE
# it starts within the idle time and a few seconds. The watcher runs with
# --after 2s.
hold_row() {
    no_saver || wait_until 10 saver_covers
    wake
    wait_until 10 no_saver || fail "$1: input did not end the saver"
    eval "$2" || { fail "$1: could not hold: $(tail -n 3 "$E2E_WORK/idle.err")"; return 1; }
    sleep "$(scaled 3)"
    if ! no_saver; then
        fail "$1: the saver started while held"
    elif [ -n "${4:-}" ] && ! status_says "$4"; then
        fail "$1: --status said $(cat "$E2E_WORK/status")"
    else
        pass "$1 holds the saver back${4:+, and --status names it}"
    fi
    eval "$3"
    wait_until 6 eval '! no_saver' && pass "$1 let go: the saver starts" || fail "$1 let go: no saver started"
}
