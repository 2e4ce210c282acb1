# linesaver-idle honours the inhibitions KDE's power manager records (a
# video player's request to org.freedesktop.ScreenSaver), which KWin's idle
# notifications ignore: a stand-in policy agent on a private session bus,
# the X server's idle source on a private X server. An inhibition held from
# the start, or taken while the user is active, holds the saver back for as
# long as it lives; once released the saver starts.
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/session_bus.bash"
e2e_init "$1"
start_xvfb 640x480
start_bus DBUS_SESSION_BUS_ADDRESS

coproc AGENT { /usr/bin/python3 "$(dirname "$0")/lib/kde_policy_agent.py" 2>"$E2E_WORK/agent.err"; }
E2E_PIDS+=("$AGENT_PID")
agent() {
    local answer
    echo "$1" >&"${AGENT[1]}"
    read -r -t "$(scaled 5)" answer <&"${AGENT[0]}" && [ "$answer" == ok ] || fail "the agent did not take $1"
}
read -r -t "$(scaled 10)" ready <&"${AGENT[0]}" && [ "$ready" == ready ] ||
    { echo "no policy agent:"; cat "$E2E_WORK/agent.err"; exit 1; }

# The watcher starts the saver through a wrapper that notes each start.
starts="$E2E_WORK/starts"
printf '#!/bin/sh\necho $$ >>"%s"\nexec "%s"\n' "$starts" "$SAVER_BIN" >"$E2E_WORK/saver-run"
chmod +x "$E2E_WORK/saver-run"
: >"$starts"
started() { [ "$(wc -l <"$starts")" -eq "$1" ]; }
# starts_within N SECONDS: whether the saver has started N times in time
# and shows its window.
saver_shows() { x xdotool search --onlyvisible --name '^Form1$' >/dev/null 2>&1; }
starts_within() { wait_until "$2" started "$1" && wait_until 10 saver_shows; }

agent hold
x xdotool key shift
"$(dirname "$SAVER_BIN")/linesaver-idle" --after 2s --backend x11 --run "$E2E_WORK/saver-run" 2>"$E2E_WORK/watcher.err" &
WATCHER=$!
E2E_PIDS+=("$WATCHER")
sleep "$(scaled 4)"
grep -q "KDE's inhibitions" "$E2E_WORK/watcher.err" && pass "the watcher heeds the policy agent" ||
    fail "the watcher said $(cat "$E2E_WORK/watcher.err")"
started 0 && pass "an inhibition held from the start holds the saver back" || fail "the saver started while inhibited"
agent release
starts_within 1 2 && pass "released, the saver starts at once" || fail "the saver did not start once released"

x xdotool key shift
saver=$(tail -n 1 "$starts")
wait_until 5 eval '! running '"$saver" || fail "a key did not end the saver"
agent hold
sleep "$(scaled 4)"
started 1 && pass "an inhibition taken after input holds the saver back" || fail "the saver started again while inhibited"
agent release
starts_within 2 4 && pass "released again, the saver starts" || fail "the saver did not start the second time"
x xdotool key shift
kill -TERM "$WATCHER"
wait_exit "$WATCHER" 5 && [ "$EXIT_STATUS" -eq 0 ] || fail "the watcher did not end on SIGTERM with status 0"
e2e_done
