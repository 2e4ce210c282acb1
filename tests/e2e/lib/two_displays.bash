# Two displays side by side for the saver's tests, Linux and Windows alike:
# Xorg's dummy driver, whose RandR outputs xrandr turns on and places
# (Xvfb gives each screen one display, and its Xinerama puts every screen
# at 0,0).
# Source after common.bash, whose x runs the X clients here.

# start_two_displays WORK_DIR PIDS_ARRAY: Xorg on a display number it picks
# itself, leaving the console and any real GPU alone, its process added to
# the array named; exports DISPLAY. DUMMY0 is on at 800x600, DUMMY1 has its
# modes. Whatever no window covers shows white.
start_two_displays() {
    local work=$1
    local -n server_pids=$2
    if ! command -v Xorg >/dev/null || ! command -v xrandr >/dev/null \
        || [ ! -e /usr/lib/xorg/modules/drivers/dummy_drv.so ]; then
        echo "needs Xorg, its dummy driver and xrandr"
        return 1
    fi
    cat >"$work/xorg.conf" <<'CONF'
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoEnableDevices" "false"
    Option "AutoAddGPU" "false"
    Option "AutoBindGPU" "false"
    Option "DontVTSwitch" "true"
EndSection
Section "Device"
    Identifier "card"
    Driver "dummy"
    VideoRam 16384
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
EndSection
Section "Screen"
    Identifier "screen"
    Device "card"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Modes "800x600"
    EndSubSection
EndSection
CONF
    local fifo="$work/xorgfd" number
    mkfifo "$fifo"
    Xorg -displayfd 3 -config "$work/xorg.conf" -logfile "$work/xorg.log" -noreset -nolisten tcp -wr \
        -sharevts -novtswitch 3>"$fifo" >/dev/null 2>&1 &
    server_pids+=($!)
    if ! read -r -t 10 number <"$fifo"; then
        echo "Xorg did not start:"; grep '(EE)' "$work/xorg.log"; return 1
    fi
    export DISPLAY=":$number"
    x xrandr --addmode DUMMY1 640x480 && x xrandr --addmode DUMMY1 800x600
}

# two_displays_layout left|right|mirrored: DUMMY1 at 640x480 right of the
# primary DUMMY0, or primary itself, or at 800x600 showing what DUMMY0
# shows. The dummy driver reports an output connected only once it is
# probed again after its mode was set, which the second xrandr does.
two_displays_layout() {
    case $1 in
    left) x xrandr --output DUMMY0 --primary --output DUMMY1 --mode 640x480 --right-of DUMMY0 ;;
    right) x xrandr --output DUMMY1 --mode 640x480 --right-of DUMMY0 --primary ;;
    mirrored) x xrandr --output DUMMY0 --primary --output DUMMY1 --mode 800x600 --same-as DUMMY0 ;;
    esac && x xrandr >/dev/null
}
