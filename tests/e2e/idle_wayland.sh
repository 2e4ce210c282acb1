# linesaver-idle on Wayland, headless: on sway 1.7 through org_kde_kwin_idle.
# Idle starts the saver, which covers the output (no pixel of the red
# background on a picture), input ends it, idle starts it again; a second
# watcher refuses; an idle inhibitor holds it back while it lives; SIGTERM
# ends the watcher and the saver with status 0; the compositor going away
# gives one line and status 1 and ends the saver.
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/wayland.bash"
source "$(dirname "$0")/lib/idle_watch.bash"
e2e_init "$1"
start_sway 800x600
cp "$1/linesaver-idle" "$1/idle_inhibitor" "$E2E_WORK/bin/"
as_user swaymsg output '*' bg '#ff0000' solid_color >/dev/null

wake() { as_user wtype -s 100 -k Shift_L; }
red_fraction() { convert "$1" -fill black +opaque '#ff0000' -fill white -opaque '#ff0000' -format '%[fx:mean]' info:; }
saver_covers() {
    [ "$(saver_window)" == "800x600+0+0 1" ] && wl_screenshot "$E2E_WORK/shot.png" &&
        [ "$(red_fraction "$E2E_WORK/shot.png")" == 0 ]
}
compositor_pid() { echo "$SWAY"; }

watcher_table "org_kde_kwin_idle on $WAYLAND_DISPLAY"
e2e_done
