# The saver end to end under Wine. Sourced by run.sh.

# The window covers the whole screen and draws within 2 s of the start
# (Wine's own start-up, which takes seconds on a busy machine, left out);
# the copy of the track is one of the demo tracks, byte for byte; Wine's
# MCI is asked to open and play that copy.
xdotool mousemove 900 600
xprobe first-frame 60000 >"$E2E_WORK/frame.txt" &
E2E_PIDS+=($!)
for _ in $(seq 100); do grep -q ready "$E2E_WORK/frame.txt" && break; sleep 0.05; done
WINEDEBUG=-all,+mci wine "$SAVER_BIN" >"$E2E_WORK/saver.log" 2>&1 &
SAVER=$!
E2E_PIDS+=("$SAVER")
wait "${E2E_PIDS[-2]}" || echo "xprobe.py first-frame: status $?"
{ read -r _; read -r covered_ms; read -r drawn_ms; } <"$E2E_WORK/frame.txt"
echo "after the saver was started (Wine's start-up included): the screen covered in ${covered_ms:-?} ms," \
    "the first frame in ${drawn_ms:-?} ms"
[ -n "$drawn_ms" ] && [ $((drawn_ms - covered_ms)) -lt 2000 ] &&
    pass "drawn $((drawn_ms - covered_ms)) ms after the screen was covered" || fail "nothing drawn within 2 s"
[ "$(xprobe cursor)" = 0 ] && pass "the cursor is hidden" || fail "the cursor shows"
screenshot "$E2E_WORK/drawn.png"
white=$(white_pixels "$E2E_WORK/drawn.png")
[ "$white" = 0 ] && pass "Form1 covers the screen" || fail "$white pixels of the screen left uncovered"
copied=
for track in "$APP"/music/*.mid; do cmp -s "$track" "$DRIVE/test.mid" && copied=$track; done
[ -n "$copied" ] && pass "the copy is ${copied##*/}, byte for byte" || fail "no demo track's copy at $DRIVE/test.mid"
sleep 0.3
for verb in open play; do
    grep -q "mciSendStringW (L\"$verb \\\\\".*\\\\\\\\linesaver\\\\\\\\c\\\\\\\\test.mid\\\\\"\"" "$E2E_WORK/saver.log" &&
        pass "MCI was sent the $verb of the copy" || fail "no $verb of the copy reached MCI"
done

# Steps of 1 and 2 pixels leave it running; one of 3 ends it.
for to in "901 600" "901 601" "900 601" "902 601"; do
    xdotool mousemove $to
    sleep 0.1
done
sleep 0.2
running "$SAVER" && pass "steps of 1 and 2 pixels leave it running" || fail "ended by a small step"
xdotool mousemove 905 601
expect_music_end "a 3-pixel step"

# A key, Alt, F10, a click, a close request from the desktop, each; and from a key press to the process gone.
cases=("a key|xdotool key a" "Alt|xdotool key alt" "F10|xdotool key F10" "a click|xdotool click 1"
    "a close request|xprobe close \$(xdotool search --name '^Form1\$' | head -1)")
for c in "${cases[@]}"; do
    start_saver || exit 1
    sleep 0.5
    pressed=$(date +%s%N)
    eval "${c#*|}"
    sent=$(date +%s%N)
    wait_exit "$SAVER" 10 && [ "${c%%|*}" = "a key" ] &&
        echo "from the key to the process gone: $(( ($(date +%s%N) - pressed) / 1000000 )) ms," \
            "of which xdotool's own run $(( (sent - pressed) / 1000000 )) ms"
    expect_music_end "${c%%|*}"
done

# The frame timer keeps a 15 ms beat on average: not the 15.6 ms of the
# system's default timer, nor a beat that drifts by the handler's time.
# (The probe is a saver of its own, so none may run beside it.)
read -r mean median p99 < <(wine "$BUILD/tests/linesaver_tick_probe.exe" 2>/dev/null)
echo "frame tick under Wine: mean ${mean:-?} ms, median ${median:-?} ms, 99th percentile ${p99:-?} ms"
# On a busy machine late ticks raise the mean; the median stays 15 ms.
awk -v m="${median:-0}" 'BEGIN{exit !(m > 14.5 && m < 15.5)}' && pass "the frame tick's median is 15 ms" ||
    fail "the frame tick's median is ${median:-unknown} ms"

# A second copy ends at once with status 0 while the first runs on.
start_saver || exit 1
first=$SAVER
sleep 0.3
wine "$SAVER_BIN" >"$E2E_WORK/second.log" 2>&1 &
second=$!
E2E_PIDS+=("$second")
if wait_exit "$second" 10 && [ "$EXIT_STATUS" -eq 0 ] && running "$first"; then
    pass "a second copy ends with status 0, the first runs on"
else
    fail "a second copy: status ${EXIT_STATUS:-none}, first running: $(running "$first" && echo yes || echo no)"
fi
SAVER=$first
xdotool key a
expect_music_end "a key after the second copy"

# A track whose name holds spaces and non-ASCII letters is copied and
# opened without an error.
mkdir -p "$E2E_WORK/other"
mv "$APP/music" "$E2E_WORK/other/music"
mkdir "$APP/music"
track="$APP/music/Grüße aus Köln – Für Elise.mid"
cp "$E2E_WORK/other/music/fur_elise.mid" "$track"
start_saver "-all,+mci" || exit 1
sleep 0.5
cmp -s "$track" "$DRIVE/test.mid" && pass "a track named with spaces and non-ASCII letters is copied" ||
    fail "the track named with non-ASCII letters was not copied"
# MCI's trace ends each command with "=> 2/ ERROR (reply)".
opened=$(sed -n '/mciSendStringW (L"open /,/mciSendStringW => 2\//p' "$E2E_WORK/saver.log" | tail -1)
[[ "$opened" == *"=> 2/ 0 "* ]] && pass "and MCI opens it" || fail "MCI did not open it: $opened"
xdotool key a
expect_music_end "a key with the non-ASCII track"
rm -rf "$APP/music"
mv "$E2E_WORK/other/music" "$APP/music"

# A display at 150 %: the window still covers every pixel, and draws.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
xdotool mousemove 900 600
start_saver || exit 1
sleep 1
screenshot "$E2E_WORK/scaled.png"
white=$(white_pixels "$E2E_WORK/scaled.png")
[ "$white" = 0 ] && awk -v l="$(lit_fraction "$E2E_WORK/scaled.png")" 'BEGIN{exit !(l > 0)}' &&
    pass "at 150 % Form1 covers the screen and draws" || fail "at 150 %: $white pixels left uncovered, or nothing drawn"
xdotool key a
expect_music_end "a key at 150 %"
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1

# Logging off: the session asks every window whether it may end, and the
# saver leaves as on a close request.
xdotool mousemove 900 600
start_saver || exit 1
sleep 0.5
wine wineboot --end-session >/dev/null 2>&1
expect_music_end "logging off"
