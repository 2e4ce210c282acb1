# The saver on an X server, one run after another. Without a display it
# says so in one line. With one, whatever its arguments, it covers the
# screen and draws within a second, plays the demo tracks (heard, not
# clipped), keeps drawing when a second copy ends at once, draws again what
# another window uncovers, and lets the server's idle time and screen saver
# run on, so the monitors' power saving and an idle locker still work (also
# when games set SDL_VIDEO_ALLOW_SCREENSAVER=0). Signs of life end it at
# once with status 0: a step of more than about two pixels (not its first
# move, nor steps of one or two), a key, a click. On a
# 16-bit screen it draws too. With LINESAVER_SEED it shows, after some tick
# N, the very picture `linesaver-render frame` writes for that seed, size
# and N: the render tool (and the web page, which is checked against it)
# make the same start-up and the same choices as the saver.
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/music.bash"
e2e_init "$1"
ls "$1"/music/*.mid >/dev/null 2>&1 || { echo "no demo tracks in $1/music"; exit 1; }

for c in "no DISPLAY|-u DISPLAY" "a display nobody serves|DISPLAY=:987"; do
    refuses 1 env ${c#*|} timeout 10 "$SAVER_BIN" && grep -q '^linesaver: cannot open a display: ..*' "$E2E_WORK/err" &&
        pass "${c%%|*}: $(cat "$E2E_WORK/err")" || fail "${c%%|*}: status $REFUSED_STATUS, said: $(cat "$E2E_WORK/out" "$E2E_WORK/err")"
done

start_xvfb 1280x800
# The pointer rests away from the window's origin when the saver starts, so
# the first move event it sees is a long way from (0, 0).
x xdotool mousemove 900 600

# idle_timers NAME: over 3 s the server's idle time grows and its screen
# saver comes on at a 2 s timeout, while the saver runs on.
idle_timers() {
    local first second state
    x xset s 2 0
    read -r _ first <<<"$(x /usr/bin/python3 "$(dirname "$0")/lib/xprobe.py" idle)"
    sleep 3
    read -r state second <<<"$(x /usr/bin/python3 "$(dirname "$0")/lib/xprobe.py" idle)"
    x xset s off
    running "$SAVER" && [ "$second" -ge $((first + 2500)) ] && [ "$state" == on ] &&
        pass "$1: the server's idle time grows ($first, then $second ms) and its screen saver comes on" ||
        fail "$1: saver running: $(running "$SAVER" && echo yes || echo no), idle $first then $second ms, server's saver $state"
}

# The first run: music, and what needs a saver left alone.
use_disk_audio "$E2E_WORK/sound.raw"
export SDL_VIDEO_ALLOW_SCREENSAVER=0
start_saver /c /p 1234 || exit 1
got=$(geometry "$(x xdotool search --onlyvisible --name '^Form1$')")
[ "$got" = "1280x800+0+0" ] && pass "the window covers the screen" || fail "window geometry $got"
drawn_within_a_second "$SHOWN" && pass "drawing within a second" || fail "still black after a second"
wait_for_copy || fail "no copy of a demo track on the drive"

# A second copy ends at once, silently, without a window of its own, and
# the first goes on drawing.
start=$(date +%s%N)
timeout 10 "$SAVER_BIN" >"$E2E_WORK/second.out" 2>&1
status=$?
took=$(( ($(date +%s%N) - start) / 1000000 ))
[ "$status" -eq 0 ] && [ "$took" -lt "$(scaled 2000)" ] && [ ! -s "$E2E_WORK/second.out" ] &&
    pass "second copy ended with 0 after $took ms" ||
    fail "second copy: status $status after $took ms, said $(cat "$E2E_WORK/second.out")"
screen_changes && pass "the first copy still draws ($CHANGED pixels changed)" ||
    fail "the first copy stopped drawing"

# A window that covers part of the saver and goes again: the part it
# uncovers is drawn again from the saver's canvas, not left white.
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
awk -v a="$white_when_covered" -v b="$white_after" 'BEGIN{exit !(a > 0.9 && b < 0.01)}' &&
    pass "an uncovered part is drawn again" ||
    fail "uncovered part: white $white_when_covered while covered, $white_after after"

idle_timers "SDL_VIDEO_ALLOW_SCREENSAVER=0"
peak=$(peak_of "$E2E_WORK/sound.raw")
awk -v p="${peak:-0}" 'BEGIN { exit !(p > 0.01 && p < 1) }' && pass "the music is heard, not clipped (peak $peak)" ||
    fail "the music is silent or clipped (peak ${peak:-none})"

# Steps of 1 and 2 pixels: 15 and 30 twips, within the threshold.
for to in "901 600" "901 601" "900 601" "902 601"; do
    x xdotool mousemove $to
    sleep 0.1
done
sleep 0.2
running "$SAVER" && pass "neither the first move nor steps of 1 and 2 pixels end it" || fail "ended by a small step"
x xdotool mousemove 905 601
expect_music_end "a 3-pixel step"

# A key on a fresh saver without SDL_VIDEO_ALLOW_SCREENSAVER, after the
# idle timers again; a click ends the one on 16 bits below. (The close
# signals are the private drive's test's.)
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEO_ALLOW_SCREENSAVER
start_saver || exit 1
sleep 0.3
idle_timers "SDL_VIDEO_ALLOW_SCREENSAVER unset"
x xdotool key a
expect_end "a key"

# On a 16-bit screen the window's pixels are not the canvas's, and the saver
# draws through SDL's own image of the window: coloured lines all the same.
start_xvfb 1280x800 16
start_saver || exit 1
drawn_within_a_second "$SHOWN" && pass "16 bits: drawing within a second" || fail "16 bits: still black after a second"
sleep 0.5
screenshot "$E2E_WORK/later.png"
colours=$(convert "$E2E_WORK/later.png" -format "%k" info:)
[ "${colours:-0}" -gt 2 ] && pass "16 bits: $colours colours on the screen" || fail "16 bits: only ${colours:-no} colours"
x xdotool click 1
expect_end "16 bits: a click"

# --- The same picture as the render tool's.
tool="$1/linesaver-render"
size=320x240
start_xvfb "$size"
LINESAVER_SEED=11 start_saver || exit 1

# The saver is held still for each look, so that no tick is half shown;
# a look taken between two of a tick's pictures is tried again.
matched=""
for attempt in 1 2 3; do
    sleep 0.3
    kill -STOP "$SAVER"
    screenshot "$E2E_WORK/screen.png"
    kill -CONT "$SAVER"
    convert "$E2E_WORK/screen.png" -depth 8 rgb:"$E2E_WORK/screen.rgb"
    for ticks in $(seq 1 "$(scaled 600)"); do
        "$tool" frame --seed 11 --size "$size" --ticks "$ticks" "$E2E_WORK/frame.png" || break
        convert "$E2E_WORK/frame.png" -depth 8 rgb:"$E2E_WORK/frame.rgb"
        cmp -s "$E2E_WORK/screen.rgb" "$E2E_WORK/frame.rgb" && matched=$ticks && break 2
    done
done
[ -n "$matched" ] && pass "the screen is linesaver-render's frame after $matched ticks, byte for byte" \
    || fail "no frame of the first $(scaled 600) ticks is what the screen shows"
e2e_done
