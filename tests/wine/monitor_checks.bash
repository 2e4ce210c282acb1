# Two monitors under Wine: Wine's desktop moved to Xorg's dummy driver with
# a 800x600 primary and a 640x480 monitor to its right. The primary shows
# the animation, the other is black and covered, the cursor is hidden over
# both, and a step, a click or a key on the other ends the saver. Sourced
# by run.sh, last: it ends the Wine session on the first server.
source "$here/../e2e/lib/two_displays.bash"

SAVER="$APP/linesaver.scr"
primary=800x600+0+0
second=640x480+800+0
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
if ! start_two_displays "$W_WORK" W_PIDS || ! two_displays_layout left; then
    fail "no two displays on Xorg's dummy driver"
    return
fi
wineserver -p 2>/dev/null

xdotool mousemove 1000 300
cursor_before=$(xprobe cursor)
start_saver || { fail "two monitors: no window"; return; }
sleep 0.5
screenshot "$W_WORK/two-first.png"
cursor=$(xprobe cursor)
sleep 1
screenshot "$W_WORK/two-later.png"
windows=$(for w in $(xdotool search --onlyvisible --name '^Form1$'); do
    xwininfo -id "$w" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
        /Width/{w=$NF} /Height/{h=$NF} END{print w "x" h "+" x "+" y}'
done | sort | xargs)
[ "$windows" = "$second $primary" ] && pass "two monitors: a window over each ($windows)" ||
    fail "two monitors: windows at '$windows'"
lit=$(lit_fraction "$W_WORK/two-later.png" "$primary")
awk -v l="$lit" 'BEGIN{exit !(l > 0)}' && pass "two monitors: the primary shows the animation" ||
    fail "two monitors: nothing drawn on the primary"
first=$(lit_fraction "$W_WORK/two-first.png" "$second")
later=$(lit_fraction "$W_WORK/two-later.png" "$second")
[ "$first" = 0 ] && [ "$later" = 0 ] && pass "two monitors: the other is covered black" ||
    fail "two monitors: the other is not black ($first, then $later of it lit)"
[ "$cursor_before" -gt 0 ] 2>/dev/null && [ "$cursor" = 0 ] && pass "two monitors: the cursor is hidden over the other" ||
    fail "two monitors: cursor pixels $cursor_before before, $cursor while running"
xdotool mousemove 1005 300
expect_end "two monitors: a 5-pixel step on the other"

for c in "a click on the other|xdotool click 1" "a key with the pointer on the other|xdotool key a"; do
    xdotool mousemove 1000 300
    start_saver || exit 1
    sleep 0.5
    eval "${c#*|}"
    expect_end "two monitors: ${c%%|*}"
done
