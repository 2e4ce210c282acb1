# linesaver-idle honours the inhibitions KDE's power manager records (a
# video player's request to org.freedesktop.ScreenSaver), which KWin's idle
# notifications ignore: a stand-in policy agent on a private session bus,
# the X server's idle source on a private X server. An inhibition held from
# the start, or taken while the user is active, holds the saver back for as
# long as it lives; once released the saver starts. The bus going away is
# said in one line and lets go of what was held there.
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/session_bus.bash"
source "$(dirname "$0")/lib/idle_watch.bash"
e2e_init "$1"
start_xvfb 640x480
start_bus DBUS_SESSION_BUS_ADDRESS
bus=${E2E_PIDS[-1]}

coproc AGENT { /usr/bin/python3 "$(dirname "$0")/lib/kde_policy_agent.py" 2>"$E2E_WORK/agent.err"; }
E2E_PIDS+=("$AGENT_PID")
agent() { send_steps AGENT "the agent" "$@"; }
read -r -t "$(scaled 10)" ready <&"${AGENT[0]}" && [ "$ready" == ready ] ||
    { echo "no policy agent:"; cat "$E2E_WORK/agent.err"; exit 1; }

IDLE_BIN="$1/linesaver-idle"
AS_USER=()
# starts_within SECONDS: whether the watcher starts the saver in time and
# its window shows.
saver_shows() { x xdotool search --onlyvisible --name '^Form1$' >/dev/null 2>&1; }
starts_within() { wait_until "$1" eval '! no_saver' && wait_until 10 saver_shows; }

agent hold
x xdotool key shift
start_watcher --after 2s --backend x11
sleep "$(scaled 4)"
grep -q "KDE's inhibitions" "$E2E_WORK/idle.err" && pass "the watcher heeds the policy agent" ||
    fail "the watcher said $(cat "$E2E_WORK/idle.err")"
no_saver && pass "an inhibition held from the start holds the saver back" || fail "the saver started while inhibited"
agent release
starts_within 2 && pass "released, the saver starts at once" || fail "the saver did not start once released"

x xdotool key shift
wait_until 5 no_saver || fail "a key did not end the saver"
agent hold
sleep "$(scaled 4)"
no_saver && pass "an inhibition taken after input holds the saver back" || fail "the saver started again while inhibited"
agent release
starts_within 4 && pass "released again, the saver starts" || fail "the saver did not start the second time"

x xdotool key shift
wait_until 5 no_saver || fail "a key did not end the saver"
agent hold
sleep "$(scaled 4)"
no_saver || fail "the saver started while inhibited, the third time"
kill "$bus"
starts_within 4 && [ "$(grep -c "no longer following KDE's inhibitions" "$E2E_WORK/idle.err")" -eq 1 ] &&
    pass "the bus gone: one line, and the saver starts" || fail "the bus gone: $(cat "$E2E_WORK/idle.err")"
saver=$(watched_saver)
kill -TERM "$WATCHER"
expect_watcher_end "SIGTERM" 0 2 "$saver"
e2e_done
