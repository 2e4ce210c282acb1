# Two monitors under Wine: Wine's desktop moved to Xorg's dummy driver with
# an 800x600 and a 640x480 monitor side by side, either one the primary.
# The primary shows the animation, the other is black and covered, the
# cursor is hidden over both, and a step, a click or a key on the other
# ends the saver. Sourced by run.sh, last: it ends the Wine session on the
# first server.
source "$here/../e2e/lib/two_displays.bash"

SAVER_BIN="$APP/linesaver.scr" # not the uninstalled copy
if ! start_two_displays "$E2E_WORK" E2E_PIDS; then
    fail "no two displays on Xorg's dummy driver"
    return
fi

# Each layout: the primary monitor, the other one, a point on the other.
layouts=(
    "left|800x600+0+0|640x480+800+0|1000 300"
    "right|640x480+800+0|800x600+0+0|300 300"
)
for l in "${layouts[@]}"; do
    IFS='|' read -r name primary other point <<<"$l"
    # Wine reads the monitors when its desktop starts.
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    two_displays_layout "$name" || { fail "$name: cannot place the displays"; continue; }
    wineserver -p 2>/dev/null
    xdotool mousemove $point
    cursor_before=$(xprobe cursor)
    start_saver || { fail "$name: no window"; continue; }
    sleep 0.5
    screenshot "$E2E_WORK/two-first.png"
    cursor=$(xprobe cursor)
    sleep 1
    screenshot "$E2E_WORK/two-later.png"
    windows=$(for w in $(xdotool search --onlyvisible --name '^Form1$'); do
        xwininfo -id "$w" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
            /Width/{w=$NF} /Height/{h=$NF} END{print w "x" h "+" x "+" y}'
    done | sort | xargs)
    expected=$(printf '%s\n' "$primary" "$other" | sort | xargs)
    [ "$windows" = "$expected" ] && pass "$name: a window over each monitor ($windows)" ||
        fail "$name: windows at '$windows', not '$expected'"
    lit=$(lit_fraction "$E2E_WORK/two-later.png" "$primary")
    awk -v l="$lit" 'BEGIN{exit !(l > 0)}' && pass "$name: the primary shows the animation" ||
        fail "$name: nothing drawn on the primary"
    first=$(lit_fraction "$E2E_WORK/two-first.png" "$other")
    later=$(lit_fraction "$E2E_WORK/two-later.png" "$other")
    [ "$first" = 0 ] && [ "$later" = 0 ] && pass "$name: the other is covered black" ||
        fail "$name: the other is not black ($first, then $later of it lit)"
    [ "$cursor_before" -gt 0 ] 2>/dev/null && [ "$cursor" = 0 ] && pass "$name: the cursor is hidden over the other" ||
        fail "$name: cursor pixels $cursor_before before, $cursor while running"
    xdotool mousemove_relative 5 0
    expect_end "$name: a 5-pixel step on the other"
done

# Input on the other monitor, the last layout's.
for c in "a click on the other|xdotool click 1" "a key with the pointer on the other|xdotool key a"; do
    xdotool mousemove $point
    start_saver || exit 1
    sleep 0.5
    eval "${c#*|}"
    expect_end "$name: ${c%%|*}"
done
