# Without a display the saver says so in one line and ends with status 1.
# With one it covers the screen and draws at once; a second copy ends at
# once and leaves the first one drawing.
source "$(dirname "$0")/lib/common.bash"
e2e_init "$1"

for c in "no DISPLAY|-u DISPLAY" "a display nobody serves|DISPLAY=:987"; do
    env ${c#*|} timeout 10 "$SAVER_BIN" >"$E2E_WORK/out" 2>"$E2E_WORK/err"
    status=$?
    if [ "$status" -eq 1 ] && [ ! -s "$E2E_WORK/out" ] && [ "$(wc -l <"$E2E_WORK/err")" -eq 1 ] &&
        grep -q '^linesaver: cannot open a display: ..*' "$E2E_WORK/err"; then
        pass "${c%%|*}: $(cat "$E2E_WORK/err")"
    else
        fail "${c%%|*}: status $status, said: $(cat "$E2E_WORK/out" "$E2E_WORK/err")"
    fi
done

start_xvfb 1280x800

# Whatever the arguments, the full-screen saver runs.
start_saver /c /p 1234 || exit 1
shown=$(date +%s%N)

window=$(x xdotool search --onlyvisible --name '^Form1$')
got=$(geometry "$window")
[ "$got" = "1280x800+0+0" ] && pass "the window covers the screen" || fail "window geometry $got"
drawn_within_a_second "$shown" && pass "drawing within a second" || fail "still black after a second"

# A second copy ends at once, silently, without a window of its own.
start=$(date +%s%N)
timeout 10 "$SAVER_BIN" >"$E2E_WORK/second.out" 2>&1
status=$?
took=$(( ($(date +%s%N) - start) / 1000000 ))
[ "$status" -eq 0 ] && [ "$took" -lt "$(scaled 2000)" ] && pass "second copy ended with 0 after $took ms" \
    || fail "second copy: status $status after $took ms"
[ -s "$E2E_WORK/second.out" ] && fail "second copy printed: $(cat "$E2E_WORK/second.out")"
windows=$(x xdotool search --name '^Form1$' | wc -l)
[ "$windows" -eq 1 ] && pass "one window" || fail "$windows windows named Form1"

# The first copy goes on drawing.
screenshot "$E2E_WORK/a.png"
sleep 0.5
screenshot "$E2E_WORK/b.png"
changed=$(differing_pixels "$E2E_WORK/a.png" "$E2E_WORK/b.png")
running "$SAVER" && [ "${changed:-0}" -gt 0 ] && pass "the first copy still draws ($changed pixels changed)" \
    || fail "the first copy stopped drawing (running: $(running "$SAVER" && echo yes || echo no), changed: $changed)"

# A window that covers part of the saver and goes again: the part it
# uncovers is drawn again from the saver's canvas, not left with the other
# window's white.
xev -geometry 400x300+0+0 >/dev/null 2>&1 &
cover=$!
E2E_PIDS+=("$cover")
sleep 0.7
screenshot "$E2E_WORK/covered.png"
kill "$cover"
wait "$cover" 2>/dev/null
sleep 0.5
screenshot "$E2E_WORK/uncovered.png"
white_when_covered=$(white_fraction "$E2E_WORK/covered.png" 400x300+0+0)
white_after=$(white_fraction "$E2E_WORK/uncovered.png" 400x300+0+0)
awk -v a="$white_when_covered" -v b="$white_after" 'BEGIN{exit !(a > 0.9 && b < 0.01)}' \
    && pass "an uncovered part is drawn again" \
    || fail "uncovered part: white $white_when_covered while covered, $white_after after"

kill -TERM "$SAVER"
wait_exit "$SAVER" 10 && [ "$EXIT_STATUS" -eq 0 ] && pass "ended with 0" || fail "did not end cleanly"
[ -s "$E2E_WORK/saver.err" ] && fail "the saver printed: $(cat "$E2E_WORK/saver.err")"
e2e_done
