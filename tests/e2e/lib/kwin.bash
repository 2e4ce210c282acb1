# A private KWin 5.27 for the Wayland tests: a virtual output, an X server
# of its own (XWayland), a session bus of its own, fake input and
# screenshots without asking. It runs as root: unlike sway it allows that.
#
# Usage, after common.bash's e2e_init:  source .../kwin.bash; start_kwin WxH [SCALE]
# (WxH logical pixels, SCALE device pixels to each). It sets KWIN (its
# process id), WAYLAND_DISPLAY, DBUS_SESSION_BUS_ADDRESS and KWIN_DISPLAY
# (its X server; DISPLAY is left unset). A later start_kwin starts another
# once the last one has gone.

KWIN_LIB=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$KWIN_LIB/session_bus.bash"

start_kwin() {
    local width=${1%x*} height=${1#*x} _
    mkdir -p "$E2E_WORK/kwin"
    rm -f "$E2E_WORK/kwin/session.pid" "$E2E_WORK/kwin/display"
    # The installed binary carries a file capability that a container's
    # bounding set may lack; a copy runs anywhere.
    cp /usr/bin/kwin_wayland "$E2E_WORK/kwin/kwin_wayland"
    start_bus DBUS_SESSION_BUS_ADDRESS
    unset DISPLAY
    KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 QT_LOGGING_RULES="kwin_scripting=true" \
        "$E2E_WORK/kwin/kwin_wayland" --virtual --width "$width" --height "$height" --scale "${2:-1}" --socket linesaver-kwin --xwayland \
        "sh -c 'echo \$\$ >$E2E_WORK/kwin/session.pid; echo \$DISPLAY >$E2E_WORK/kwin/display; exec sleep 100000'" \
        >"$E2E_WORK/kwin.log" 2>&1 &
    KWIN=$!
    E2E_PIDS+=("$KWIN")
    for _ in $(seq "$(scaled 100)"); do [ -s "$E2E_WORK/kwin/display" ] && break; sleep 0.1; done
    [ -s "$E2E_WORK/kwin/display" ] || { echo "KWin did not start:"; cat "$E2E_WORK/kwin.log"; exit 1; }
    # The session's stand-in outlives KWin unless ended with the test.
    E2E_PIDS+=("$(cat "$E2E_WORK/kwin/session.pid")")
    KWIN_DISPLAY=$(cat "$E2E_WORK/kwin/display")
    export WAYLAND_DISPLAY=linesaver-kwin
}

# kwin_windows: every window KWin manages, one a line, as
# "CAPTION WxH+X+Y FULLSCREEN" (FULLSCREEN 1 or 0), through a KWin script.
kwin_windows() {
    local script="$E2E_WORK/kwin/windows.js" lines
    printf '%s\n' 'workspace.clientList().forEach(function (w) { var g = w.frameGeometry;' \
        '    print("window " + w.caption + " " + g.width + "x" + g.height + "+" + g.x + "+" + g.y + " " + (w.fullScreen ? 1 : 0)); });' \
        >"$script"
    lines=$(grep -c . "$E2E_WORK/kwin.log")
    gdbus call --session --dest org.kde.KWin --object-path /Scripting --method org.kde.kwin.Scripting.loadScript \
        "$script" linesaver-windows >/dev/null &&
        gdbus call --session --dest org.kde.KWin --object-path /Scripting --method org.kde.kwin.Scripting.start >/dev/null
    sleep 0.2
    gdbus call --session --dest org.kde.KWin --object-path /Scripting --method org.kde.kwin.Scripting.unloadScript \
        linesaver-windows >/dev/null
    tail -n +"$((lines + 1))" "$E2E_WORK/kwin.log" | sed -n 's/^js: window //p'
}

# kwin_screenshot FILE [native]: the workspace as a picture (any format
# ImageMagick writes, by FILE's name), in logical pixels or, with native, in
# the output's device pixels.
kwin_screenshot() {
    /usr/bin/python3 "$KWIN_LIB/kwin_screenshot.py" "$E2E_WORK/kwin/shot.ppm" ${2:+--native} &&
        convert "$E2E_WORK/kwin/shot.ppm" "$1"
}
kwin_native_screenshot() { kwin_screenshot "$1" native; }
