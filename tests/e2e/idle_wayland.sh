# linesaver-idle on Wayland, headless: on sway 1.7 through org_kde_kwin_idle,
# then on KWin 5.27 through ext_idle_notifier_v1. Idle starts the saver,
# which covers the output (on sway no pixel of the background, in a colour
# the saver never draws, shows on a picture; on KWin the compositor has it
# full screen over the output), input ends it, idle starts it again; a second watcher refuses; an idle
# inhibitor holds it back while it lives; SIGTERM ends the watcher and the
# saver with status 0; the compositor going away gives one line and status
# 1 and ends the saver.
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/wayland.bash"
source "$(dirname "$0")/lib/kwin.bash"
source "$(dirname "$0")/lib/idle_watch.bash"
e2e_init "$1"
here=$(cd "$(dirname "$0")" && pwd)

echo "--- sway"
start_sway 800x600
cp "$1/linesaver-idle" "$1/idle_inhibitor" "$E2E_WORK/bin/"
as_user swaymsg output '*' bg '#fe0101' solid_color >/dev/null
wake() { as_user wtype -s 100 -k Shift_L; }
saver_covers() {
    [ "$(saver_window)" == "800x600+0+0 1" ] && wl_screenshot "$E2E_WORK/shot.png" &&
        [ "$(backdrop_fraction "$E2E_WORK/shot.png")" == 0 ]
}
compositor_pid() { echo "$SWAY"; }
watcher_table "org_kde_kwin_idle on $WAYLAND_DISPLAY"

echo "--- KWin"
# KWin runs as root, with a runtime folder of root's own.
export XDG_RUNTIME_DIR="$E2E_WORK/run-kwin"
mkdir -m 700 "$XDG_RUNTIME_DIR"
start_kwin 800x600
AS_USER=(env SDL_AUDIODRIVER=dummy)
coproc INPUT { python3 "$here/lib/kwin_input.py"; }
E2E_PIDS+=("$INPUT_PID")
wake() { send_steps INPUT KWin key; }
saver_covers() { kwin_windows | grep -qx "Form1 800x600+0+0 1"; }
compositor_pid() { echo "$KWIN"; }
watcher_table "ext_idle_notifier_v1 on $WAYLAND_DISPLAY"
e2e_done
