# With two displays the primary one carries the animation and the other is
# covered black, with the cursor hidden there too; input on the other
# display ends the saver as well, and a step across the boundary counts as
# the step it is.
#
# Xvfb gives each screen one display, so this runs on Xorg's dummy driver.
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/two_displays.bash"
e2e_init "$1"

xprobe() { x /usr/bin/python3 "$(dirname "$0")/lib/xprobe.py" "$@"; }

# nonblack FILE WxH+X+Y: the share of pixels in a region that are not black.
nonblack() { convert "$1" -crop "$2" +repage -fill white +opaque black -format "%[fx:mean]" info:; }

start_two_displays "$E2E_WORK" E2E_PIDS || exit 1

# Each layout: where the animated window goes, where a black one goes (none
# over a display that mirrors the primary), a point on that other display
# where the pointer rests, and the input that ends the saver.
layouts=(
    "left|800x600+0+0|640x480+800+0|1000 300|a key|x xdotool key a"
    "right|640x480+800+0|800x600+0+0|300 300|a click on the other display|x xdotool click 1"
    "mirrored|800x600+0+0||300 300|SIGTERM|kill -TERM \$SAVER"
    "left|800x600+0+0|640x480+800+0|1000 300|a close request to the black window|xprobe close \$blank_window"
)
for l in "${layouts[@]}"; do
    IFS='|' read -r name animated blank point ending action <<<"$l"
    two_displays_layout "$name" || exit 1
    x xdotool mousemove $point
    shown_before=$(xprobe cursor)
    start_saver || exit 1
    form=$(x xdotool search --onlyvisible --name '^Form1$')
    got=$(geometry "$form")
    [ "$got" = "$animated" ] && pass "$name: the animated window covers $animated" || fail "$name: Form1 at $got"
    others=()
    for w in $(x xdotool search --onlyvisible --pid "$SAVER"); do
        [ "$w" = "$form" ] || { others+=("$(geometry "$w")"); blank_window=$w; }
    done
    [ "${others[*]}" = "$blank" ] && pass "$name: other windows: ${blank:-none}" \
        || fail "$name: other windows ${others[*]:-none}, expected ${blank:-none}"

    drawn_within_a_second "$SHOWN" "$animated" && pass "$name: drawing within a second" \
        || fail "$name: still black after a second"
    if [ -n "$blank" ]; then
        sleep 0.5
        screenshot "$E2E_WORK/later.png"
        a=$(nonblack "$E2E_WORK/drawn.png" "$blank")
        b=$(nonblack "$E2E_WORK/later.png" "$blank")
        [ "$a" = 0 ] && [ "$b" = 0 ] && pass "$name: the other display stays black" \
            || fail "$name: the other display is not black ($a, then $b not black)"
    fi
    hidden=$(xprobe cursor)
    [ "${shown_before:-0}" -gt 0 ] && [ "$hidden" = 0 ] && pass "$name: the cursor is hidden over the other display" \
        || fail "$name: cursor pixels $shown_before before, $hidden while running"
    eval "$action"
    expect_end "$name: $ending"
done

two_displays_layout left
# Steps of one pixel: on the second display, and over the boundary both ways.
x xdotool mousemove 801 300
start_saver || exit 1
sleep 0.3
for to in "801 301" "800 301" "799 301" "800 301" "801 301" "802 302"; do
    x xdotool mousemove $to
    sleep 0.1
done
sleep 0.2
running "$SAVER" && pass "1-pixel steps on the second display and across the boundary do not end it" \
    || fail "ended by a 1-pixel step"
x xdotool mousemove 805 302
expect_end "a 3-pixel step on the second display"
e2e_done
