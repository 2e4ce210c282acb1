# A private headless GNOME desktop for the end-to-end tests: a session bus
# and a second bus standing in for the system bus, PipeWire for the
# pictures, an empty gnome-session (for its inhibitors) and mutter with
# XWayland on one virtual monitor, with a white top bar on it as GNOME's.
# Input and pictures go through mutter's own remote-desktop and screen-cast
# interfaces (lib/mutter_session.py), from one client that stays connected.
#
# Usage, after common.bash's e2e_init:  source .../gnome.bash; start_gnome WxH

GNOME_TOP_BAR=32
source "$(dirname "${BASH_SOURCE[0]}")/session_bus.bash"

# XWayland's socket folder: mutter makes it, under a umask that leaves it
# closed to others, and then refuses it; systemd-tmpfiles makes it 1777 at
# boot on a desktop.
x11_socket_folder() {
    [ -d /tmp/.X11-unix ] || (umask 0 && mkdir -p -m 1777 /tmp/.X11-unix)
    [ -O /tmp/.X11-unix ] && [ "$(stat -c %a /tmp/.X11-unix)" != 1777 ] && chmod 1777 /tmp/.X11-unix
    return 0
}

# start_mutter WxH...: mutter with those monitors, once it answers on the
# bus, with DISPLAY and WAYLAND_DISPLAY set for its XWayland and its own
# socket.
start_mutter() {
    local monitors=() size
    for size in "$@"; do monitors+=(--virtual-monitor "$size"); done
    local try _
    x11_socket_folder
    for try in 1 2 3; do
        rm -f "$E2E_WORK/mutter.log"
        MUTTER_DEBUG_RESET_IDLETIME=1 mutter --headless "${monitors[@]}" --wayland \
            --wayland-display "linesaver-e2e-$$" >"$E2E_WORK/mutter.log" 2>&1 &
        MUTTER=$!
        E2E_PIDS+=("$MUTTER")
        for _ in $(seq "$(scaled 150)"); do
            grep -q "public X11 display" "$E2E_WORK/mutter.log" &&
                gdbus call --session -d org.gnome.Mutter.IdleMonitor -o /org/gnome/Mutter/IdleMonitor/Core \
                    -m org.gnome.Mutter.IdleMonitor.GetIdletime >/dev/null 2>&1 && break
            running "$MUTTER" || break
            sleep 0.1
        done
        if grep -q "public X11 display" "$E2E_WORK/mutter.log" && running "$MUTTER"; then
            DISPLAY=$(grep -o 'public X11 display :[0-9]*' "$E2E_WORK/mutter.log" | grep -o ':[0-9]*')
            XAUTHORITY=$(ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* 2>/dev/null | head -n 1)
            export DISPLAY XAUTHORITY WAYLAND_DISPLAY="linesaver-e2e-$$"
            return 0
        fi
        kill -KILL "$MUTTER" 2>/dev/null
        wait "$MUTTER" 2>/dev/null
    done
    echo "mutter did not start:"
    cat "$E2E_WORK/mutter.log"
    exit 1
}

# gnome_command LINE: one command to lib/mutter_session.py (see there).
gnome_command() {
    local answer
    echo "$1" >&"${MUTTER_SESSION[1]}"
    read -r -t "$(scaled 15)" answer <&"${MUTTER_SESSION[0]}" && [ "$answer" == ok ] ||
        { fail "mutter did not take '$1': $answer"; return 1; }
}

start_gnome() {
    start_bus DBUS_SESSION_BUS_ADDRESS
    start_bus DBUS_SYSTEM_BUS_ADDRESS
    pipewire >"$E2E_WORK/pipewire.log" 2>&1 &
    E2E_PIDS+=($!)
    local _
    for _ in $(seq "$(scaled 100)"); do [ -S "$XDG_RUNTIME_DIR/pipewire-0" ] && break; sleep 0.1; done
    wireplumber >"$E2E_WORK/wireplumber.log" 2>&1 &
    E2E_PIDS+=($!)
    mkdir -p "$E2E_WORK/data/gnome-session/sessions" "$E2E_WORK/autostart"
    printf '[GNOME Session]\nName=Empty\nRequiredComponents=\n' >"$E2E_WORK/data/gnome-session/sessions/empty.session"
    XDG_DATA_DIRS="$E2E_WORK/data:/usr/share" /usr/libexec/gnome-session-binary --builtin --session=empty \
        --autostart="$E2E_WORK/autostart" >"$E2E_WORK/gnome-session.log" 2>&1 &
    E2E_PIDS+=($!)
    start_mutter "$1"
    /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/xprobe.py" window "${1%x*}x$GNOME_TOP_BAR+0+0" --top-bar >/dev/null &
    E2E_PIDS+=($!)
    start_mutter_session Meta-0
}

# start_mutter_session MONITOR...: input and pictures of those monitors
# through lib/mutter_session.py, for gnome_command.
start_mutter_session() {
    coproc MUTTER_SESSION { /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/mutter_session.py" "$@" \
        2>"$E2E_WORK/mutter_session.err"; }
    E2E_PIDS+=("$MUTTER_SESSION_PID")
    local ready
    read -r -t "$(scaled 15)" ready <&"${MUTTER_SESSION[0]}" && [ "$ready" == ready ] ||
        { echo "no input or pictures from mutter:"; tail -n 5 "$E2E_WORK"/{mutter_session.err,pipewire.log,wireplumber.log,mutter.log}; exit 1; }
    # The virtual keyboard and pointer join the seat with their first
    # events, which are lost.
    gnome_command key && gnome_command "move 1 1"
}

# gnome_shot FILE [MONITOR]: the monitor (the first pictured unless told)
# as a PNG picture in its device pixels.
gnome_shot() { gnome_command "shot $1${2:+ $2}"; }

# monitors LOGICAL_MONITORS [MONITOR...]: mutter's monitors laid out anew
# for now, over org.gnome.Mutter.DisplayConfig: each "(X, Y, SCALE, 0,
# PRIMARY, [(CONNECTOR, MODE, @a{sv} {})])", those left out turned off; the
# MONITORs (connectors) pictured from then on.
monitors() {
    local config="org.gnome.Mutter.DisplayConfig" serial
    serial=$(gdbus call --session -d $config -o /org/gnome/Mutter/DisplayConfig -m $config.GetCurrentState |
        grep -o '^(uint32 [0-9]*' | grep -o '[0-9]*$')
    gdbus call --session -d $config -o /org/gnome/Mutter/DisplayConfig -m $config.ApplyMonitorsConfig \
        "$serial" 1 "[$1]" "{}" >/dev/null
    [ $# -lt 2 ] || gnome_command "cast ${*:2}"
}

# covered FILE WxH: whether the saver covers the monitor on a picture: no
# white of the top bar left, and something drawn.
covered() {
    awk -v w="$(white_fraction "$1" "${2%x*}x$GNOME_TOP_BAR+0+0")" -v l="$(lit_fraction "$1")" \
        'BEGIN{exit !(w == 0 && l > 0)}'
}
