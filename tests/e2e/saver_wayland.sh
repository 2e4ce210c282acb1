# The saver and its idle watcher on a Wayland compositor with no X server
# (headless sway, no XWayland, two outputs). The saver: full-screen on the
# first output and the second covered in black, drawing, ended with status
# 0 by a key, a click, a step of more than two pixels or a close signal,
# with the copy of the track gone; the idle timers run on while it shows;
# swayidle starts it again. Then linesaver-idle through org_kde_kwin_idle,
# in the watcher's table (lib/idle_watch.bash): the saver covers both
# outputs (no pixel of the background, in a colour it never draws, shows),
# an idle inhibitor holds it back, and last the compositor goes away under
# it: it says the display has gone and leaves no copy behind.
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/wayland.bash"
source "$(dirname "$0")/lib/idle_watch.bash"
e2e_init "$1"
start_sway 800x600 2
cp "$1/linesaver-idle" "$1/idle_inhibitor" "$E2E_WORK/bin/"
here=$(dirname "$0")

# pointer STEP...: the steps through the one virtual pointer of the test.
coproc POINTER { "${AS_USER[@]}" python3 "$here/lib/wl_pointer.py" 1600 600; }
E2E_PIDS+=("$POINTER_PID")
pointer() { send_steps POINTER "the pointer" "$@"; }
# wtype's keyboard joins the seat with its first key: each call is a new
# keyboard, its keymap sent to the saver just before that key.
key() { as_user wtype "$@"; }
copies() { ls -A "$XDG_RUNTIME_DIR/linesaver/c" 2>/dev/null; }

# expect_wayland_end NAME: expect_end, and no copy of a track left.
expect_wayland_end() {
    expect_end "$1"
    [ -z "$(copies)" ] || fail "$1: left $(copies) behind"
}

# The pointer rests away from the window's origin when the saver starts.
pointer 500,400
start_wayland_saver || exit 1
started=$(date +%s%N)
shown=$(saver_window)
[ "$shown" == "800x600+0+0 1" ] && pass "full-screen on the first output" || fail "the window is $shown"
# The second output's black window is mapped and made full screen in
# round trips of its own: on a busy machine the first output may draw
# before the compositor has placed it, so both are awaited together.
lit=0 other=1
while [ $(( ($(date +%s%N) - started) / 1000000 )) -lt $(scaled 5000) ]; do
    wl_screenshot "$E2E_WORK/drawn.png" || { cat "$E2E_WORK/grim.err"; break; }
    lit=$(lit_fraction "$E2E_WORK/drawn.png" 800x600+0+0)
    other=$(lit_fraction "$E2E_WORK/drawn.png" 800x600+800+0)
    awk -v l="$lit" -v o="$other" 'BEGIN{exit !(l > 0 && o == 0)}' && break
done
awk -v l="$lit" 'BEGIN{exit !(l > 0)}' &&
    pass "it draws" || fail "nothing drawn within 5 s of the window showing"
awk -v l="$other" 'BEGIN{exit !(l == 0)}' && pass "the second output is black" ||
    fail "$other of the second output is not black"

pointer 501,400
sleep 0.3
running "$SAVER" && pass "the first move does not end it" || fail "ended by its first move"
pointer 501,401 500,401 502,401
sleep 0.3
running "$SAVER" && pass "steps of 1 and 2 pixels do not end it" || fail "ended by a small step"
pointer 505,401
expect_wayland_end "a 3-pixel step"

cases=(
    "a key from a keyboard that joins the seat with it|key -k space"
    "a hundred keys in a row|key -d 1 aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"
    "a click|pointer click"
    "SIGTERM|kill -TERM \$SAVER"
    "SIGINT|kill -INT \$SAVER"
    "SIGHUP|kill -HUP \$SAVER"
)
for c in "${cases[@]}"; do
    start_wayland_saver || exit 1
    sleep 0.3
    eval "${c#*|}"
    expect_wayland_end "${c%%|*}"
done

# Every scale, every pixel: the first output at scale 2 beside the second
# at 1, at 1 again while the saver runs, then at 3 on a 960x720 mode. The
# first output shows, after some tick, linesaver-render's frame at its size
# in device pixels; pointer steps count in logical pixels, the unit a mouse
# moves the pointer in, as they do through XWayland.
first_output() { as_user swaymsg output HEADLESS-1 "$@" >/dev/null; }
first_output scale 2
start_wayland_saver LINESAVER_SEED=11 || exit 1
[ "$(saver_window)" == "400x300+0+0 1" ] && pass "scale 2: full screen over 400x300 logical pixels" ||
    fail "scale 2: the window is $(saver_window)"
sleep 0.5
frame_check "scale 2, beside an output at 1" 800x600 11 "$LAUNCHED" wl_screenshot_of HEADLESS-1
wl_screenshot "$E2E_WORK/other.png" HEADLESS-2
[ "$(lit_fraction "$E2E_WORK/other.png")" == 0 ] && pass "scale 2: the output at 1 beside it is black" ||
    fail "scale 2: the output at 1 beside it is not black"
first_output scale 1
wait_until 5 eval '[ "$(saver_window)" == "800x600+0+0 1" ]'
sleep 0.3
frame_check "scale 2, then 1 while it runs" 800x600 11 "$LAUNCHED" wl_screenshot_of HEADLESS-1
first_output scale 2
wait_until 5 eval '[ "$(saver_window)" == "400x300+0+0 1" ]'
pointer 200,150 "by 1,0" "by 0,1" "by -1,0" "by 2,0" "by 0,-2"
sleep 0.3
running "$SAVER" && pass "scale 2: steps of 1 and 2 logical pixels keep it" || fail "scale 2: ended by a small step"
pointer "by 3,0"
expect_wayland_end "scale 2: a 3-pixel step"
first_output mode 960x720 scale 3
start_wayland_saver LINESAVER_SEED=5 || exit 1
sleep 0.5
frame_check "scale 3" 960x720 5 "$LAUNCHED" wl_screenshot_of HEADLESS-1
key -k space
expect_wayland_end "scale 3: a key"
first_output mode 800x600 scale 1

# swayidle starts the saver after a second of idleness, and its later
# timeout fires while the saver shows: the saver holds no idle inhibitor.
wrapper="$E2E_WORK/bin/saver-run"
status_wrapper "$wrapper" "$E2E_WORK/user/statuses" "$E2E_WORK/user/saver.err"
as_user touch "$E2E_WORK/user/statuses"
"${AS_USER[@]}" swayidle timeout 1 "$wrapper" timeout 3 "touch $E2E_WORK/user/idle" resume "rm -f $E2E_WORK/user/idle" \
    >"$E2E_WORK/swayidle.log" 2>&1 &
E2E_PIDS+=($!)
saver_shows() { [ -n "$(saver_window)" ]; }
ended() { [ "$(wc -l <"$E2E_WORK/user/statuses")" -gt "$1" ]; }
for round in 1 2; do
    wait_until 10 saver_shows || { fail "swayidle, round $round: the saver did not start"; break; }
    wait_until 10 test -e "$E2E_WORK/user/idle"
    sleep 0.5
    [ -e "$E2E_WORK/user/idle" ] && saver_shows && pass "swayidle, round $round: its later timeout fires while the saver shows" ||
        fail "swayidle, round $round: its later timeout did not fire while the saver showed"
    before=$(wc -l <"$E2E_WORK/user/statuses")
    key -k space
    wait_until 10 ended "$before"
    [ "$(tail -n 1 "$E2E_WORK/user/statuses")" == 0 ] && pass "swayidle, round $round: a key ends it with status 0" ||
        fail "swayidle, round $round: status $(tail -n 1 "$E2E_WORK/user/statuses")"
done
kill -TERM "${E2E_PIDS[-1]}"
exec {POINTER[1]}>&-

as_user swaymsg output '*' bg '#fe0101' solid_color >/dev/null
wake() { key -k Shift_L; }
saver_covers() {
    [ "$(saver_window)" == "800x600+0+0 1" ] && wl_screenshot "$E2E_WORK/shot.png" &&
        [ "$(backdrop_fraction "$E2E_WORK/shot.png")" == 0 ]
}
compositor_pid() { echo "$SWAY"; }
watcher_table "org_kde_kwin_idle on $WAYLAND_DISPLAY"
said=$(grep -v '^linesaver-idle: ' "$E2E_WORK/idle.err")
[ "$said" == "linesaver: the display has gone" ] && [ -z "$(copies)" ] &&
    pass "the compositor gone: the saver says the display has gone and leaves no copy" ||
    fail "the compositor gone: the saver said '$said' and left '$(copies)'"
e2e_done
