# The desktops' own daemons for the end-to-end tests, on a private X server
# and private buses: MATE's session manager and screen saver, Xfce's power
# manager, Cinnamon's session manager with its screen saver, GNOME Shell,
# stand-ins for what Debian lacks (Xfce's screen saver, logind), and ways
# to hold the desktop awake and to lock it through each one's own
# interface.
#
# Usage, after common.bash's e2e_init and start_xvfb:
#     source .../desktops.bash; desktop_home; start_desktop_bus session ...
#
# Traps they hide:
# - Debian's session bus services start mate-screensaver and
#   cinnamon-screensaver for whoever calls their names, and
#   xfce4-power-manager calls them all looking for a screen saver: a bus of
#   start_desktop_bus starts only the services it is given.
# - mate-screensaver's Lock, Unlock and SimulateUserActivity never answer:
#   use mate-screensaver-command, which does not wait for one.
# - xfce4-power-manager 4.18.1 crashes (a double free) when an inhibition
#   ends after any client asked HasInhibit or GetInhibitors while it was
#   held, and it never sends HasInhibitChanged.
# - cinnamon-session refuses a session without components: its screen
#   saver is the one here, as in Cinnamon's own session.
# - cinnamon-screensaver 5.6 fails SetActive(false) (UnknownMethod, a
#   Python error inside) whenever a system bus answers, even logind's
#   stand-in: Cinnamon gets none.

DESKTOPS_LIB=$(dirname "${BASH_SOURCE[0]}")

# desktop_home: a home, settings (dconf, xfconf) and caches of the test's
# own, and no desktop named, for the daemons started after it.
desktop_home() {
    export HOME="$E2E_WORK/home" XDG_CONFIG_HOME="$E2E_WORK/config" XDG_DATA_HOME="$E2E_WORK/data" \
        XDG_CACHE_HOME="$E2E_WORK/cache" NO_AT_BRIDGE=1
    mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$E2E_WORK/autostart"
    unset XDG_CURRENT_DESKTOP
}

# start_desktop_bus session|system [SERVICE...]: a private bus of that kind
# in DBUS_SESSION_BUS_ADDRESS or DBUS_SYSTEM_BUS_ADDRESS, which starts on
# demand the named services (from /usr/share/dbus-1/services) and no
# others.
start_desktop_bus() {
    local kind=$1 services="$E2E_WORK/$1-services" fifo="$E2E_WORK/$1-bus-address" address service
    shift
    mkdir -p "$services"
    for service in "$@"; do ln -sf "/usr/share/dbus-1/services/$service.service" "$services/"; done
    cat >"$E2E_WORK/$kind-bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>$kind</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>
  <servicedir>$services</servicedir>
  <policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
CONF
    rm -f "$fifo"
    mkfifo "$fifo"
    dbus-daemon --config-file="$E2E_WORK/$kind-bus.conf" --nofork --nopidfile --print-address=3 3>"$fifo" >/dev/null 2>&1 &
    E2E_PIDS+=($!)
    read -r -t "$(scaled 10)" address <"$fifo" || { echo "dbus-daemon ($kind) did not start"; exit 1; }
    if [ "$kind" == system ]; then export DBUS_SYSTEM_BUS_ADDRESS="$address"; else export DBUS_SESSION_BUS_ADDRESS="$address"; fi
}

# owned session|system NAME: whether a program owns NAME on that bus.
owned() {
    gdbus call --"$1" -d org.freedesktop.DBus -o /org/freedesktop/DBus -m org.freedesktop.DBus.NameHasOwner "$2" 2>/dev/null |
        grep -q true
}

# start_daemon LOG BUS NAME... -- COMMAND...: COMMAND in the background
# (its output in $E2E_WORK/LOG.log, its pid in DAEMON and E2E_PIDS), waited
# for up to 10 s (scaled) until it owns every NAME on BUS; the test ends
# with its log when it does not.
start_daemon() {
    local log="$E2E_WORK/$1.log" bus=$2 names=() name
    shift 2
    while [ "$1" != -- ]; do names+=("$1"); shift; done
    shift
    "$@" >"$log" 2>&1 &
    DAEMON=$!
    E2E_PIDS+=("$DAEMON")
    all_owned() { for name in "${names[@]}"; do owned "$bus" "$name" || return 1; done; }
    wait_until 10 all_owned && return 0
    echo "$1 did not take ${names[*]}:"
    tail -n 20 "$log"
    exit 1
}

# MATE: mate-session with no components (org.gnome.SessionManager, without
# InhibitedActions: InhibitorAdded/InhibitorRemoved and IsInhibited(8)),
# and mate-screensaver (org.mate.ScreenSaver, blanking only, no lock
# unless told), which hands inhibitions on to the session manager when
# one runs.
start_mate_session() {
    gsettings set org.mate.session required-components-list "[]"
    start_daemon mate-session session org.gnome.SessionManager -- mate-session --autostart="$E2E_WORK/autostart"
}
start_mate_screensaver() {
    gsettings set org.mate.screensaver mode blank-only && gsettings set org.mate.screensaver lock-enabled "${1:-false}"
    start_daemon mate-screensaver session org.mate.ScreenSaver -- mate-screensaver --no-daemon
}

# Xfce: xfce4-power-manager (org.freedesktop.PowerManagement and
# org.xfce.PowerManager; it takes no org.freedesktop.ScreenSaver). The
# session bus must start org.xfce.Xfconf.
start_xfce_power_manager() {
    start_daemon xfce4-power-manager session org.freedesktop.PowerManagement org.xfce.PowerManager -- xfce4-power-manager
}

# Cinnamon: cinnamon-session (org.gnome.SessionManager, with
# InhibitedActions) starting cinnamon-screensaver (org.cinnamon.ScreenSaver,
# which takes no inhibitions), which comes on by itself after IDLE seconds
# (default 900) without input unless an idle inhibitor holds.
start_cinnamon() {
    local sessions="$E2E_WORK/cinnamon/cinnamon-session/sessions"
    mkdir -p "$sessions"
    printf '[Cinnamon Session]\nName=Test\nRequiredComponents=org.cinnamon.ScreenSaver;\nDesktopName=X-Cinnamon\n' \
        >"$sessions/test.session"
    gsettings set org.cinnamon.desktop.session idle-delay "${1:-900}"
    XDG_DATA_DIRS="$E2E_WORK/cinnamon:${XDG_DATA_DIRS:-/usr/share}" DBUS_SYSTEM_BUS_ADDRESS="unix:path=$E2E_WORK/none" \
        start_daemon cinnamon session \
        org.gnome.SessionManager org.cinnamon.ScreenSaver -- cinnamon-session --session=test --autostart="$E2E_WORK/autostart"
}

# start_screensaver_standin org.xfce.ScreenSaver|org.gnome.ScreenSaver: a
# desktop screen saver, on the session bus (python-dbusmock), where Debian
# has none or GNOME Shell is more than a test needs:
# GetActive, GetActiveTime, SetActive and Lock with ActiveChanged, and
# Inhibit/UnInhibit; Xfce's as mate-screensaver's, which it descends from,
# GNOME Shell's as dbusmock's (its Lock takes a second).
start_screensaver_standin() {
    local name=$1 path="/${1//.//}"
    if [ "$name" == org.gnome.ScreenSaver ]; then
        start_daemon "$name" session "$name" -- /usr/bin/python3 -m dbusmock --template gnome_screensaver
        return
    fi
    start_daemon "$name" session "$name" -- /usr/bin/python3 -m dbusmock "$name" "$path" "$name"
    local become='self.active = args[0]; self.EmitSignal("", "ActiveChanged", "b", [args[0]])'
    gdbus call --session -d "$name" -o "$path" -m org.freedesktop.DBus.Mock.AddMethods "$name" "[
        ('GetActive', '', 'b', 'ret = getattr(self, \"active\", False)'),
        ('GetActiveTime', '', 'u', 'ret = 0'),
        ('SetActive', 'b', '', '$become'),
        ('Lock', '', '', '${become//args\[0\]/True}'),
        ('SimulateUserActivity', '', '', ''),
        ('Inhibit', 'ss', 'u', 'self.cookie = getattr(self, \"cookie\", 0) + 1; ret = self.cookie'),
        ('UnInhibit', 'u', '', ''),
        ('GetInhibitors', '', 'as', 'ret = []')]" >/dev/null
}

# GNOME Shell 43 on a headless virtual monitor of WxH, up in about a
# second. Its lock (org.gnome.Shell.ScreenShield, object
# /org/gnome/ScreenSaver) is there only with logind (start_logind_standin
# first) and a display manager of version 3.5.91 or later (a GDM stand-in
# here). org.gnome.ScreenSaver itself is a proxy to it that the session
# bus starts on the first call: name org.gnome.ScreenSaver to
# start_desktop_bus.
start_gnome_shell() {
    local manager=(gdbus call --system -d org.gnome.DisplayManager -o /org/gnome/DisplayManager/Manager -m)
    start_daemon gdm system org.gnome.DisplayManager -- /usr/bin/python3 -m dbusmock --system \
        org.gnome.DisplayManager /org/gnome/DisplayManager/Manager org.gnome.DisplayManager.Manager
    "${manager[@]}" org.freedesktop.DBus.Mock.AddProperty org.gnome.DisplayManager.Manager Version "<'43.0'>" >/dev/null &&
        "${manager[@]}" org.freedesktop.DBus.Mock.AddMethod org.gnome.DisplayManager.Manager RegisterSession 'a{sv}' '' '' \
            >/dev/null || exit 1
    [ -d /tmp/.X11-unix ] || (umask 0 && mkdir -p -m 1777 /tmp/.X11-unix)
    XDG_SESSION_ID=c1 start_daemon gnome-shell session org.gnome.Shell.ScreenShield -- \
        gnome-shell --headless --virtual-monitor "$1" --wayland --wayland-display "linesaver-shell-$$"
}

# start_logind_standin: logind on a private system bus (lib/logind_standin.py),
# with one session, c1, for every process.
start_logind_standin() {
    start_daemon logind system org.freedesktop.login1 -- \
        /usr/bin/python3 -m dbusmock --template "$DESKTOPS_LIB/logind_standin.py"
}

# Inhibiting: each way a program holds the desktop awake, by its own
# interface: bus name, object, interface, the calls that take and release,
# and their arguments' types and values.
declare -A INHIBIT_BY=(
    [session-manager]="org.gnome.SessionManager /org/gnome/SessionManager org.gnome.SessionManager Inhibit Uninhibit susu test 0 film 8"
    [mate-screensaver]="org.mate.ScreenSaver /org/mate/ScreenSaver org.mate.ScreenSaver Inhibit UnInhibit ss test film"
    [power-management]="org.freedesktop.PowerManagement /org/freedesktop/PowerManagement/Inhibit org.freedesktop.PowerManagement.Inhibit Inhibit UnInhibit ss test film"
    [freedesktop]="org.freedesktop.ScreenSaver /org/freedesktop/ScreenSaver org.freedesktop.ScreenSaver Inhibit UnInhibit ss test film"
    [freedesktop-short]="org.freedesktop.ScreenSaver /ScreenSaver org.freedesktop.ScreenSaver Inhibit UnInhibit ss test film"
    [xfce-screensaver]="org.xfce.ScreenSaver /org/xfce/ScreenSaver org.xfce.ScreenSaver Inhibit UnInhibit ss test film"
)

# hold_awake WAY: a program (lib/inhibit_holder.py) that holds the desktop
# awake that way (a key of INHIBIT_BY) until release_awake or
# leave_awake; false when it was refused. `systemd-inhibit --what=idle`
# is logind's own client.
hold_awake() {
    local answer
    coproc HOLDER { exec /usr/bin/python3 "$DESKTOPS_LIB/inhibit_holder.py" ${INHIBIT_BY[$1]}; }
    E2E_PIDS+=("$HOLDER_PID")
    HOLDER_IN=${HOLDER[1]}
    read -r -t "$(scaled 5)" answer <&"${HOLDER[0]}" && [ "${answer%% *}" == held ] ||
        { echo "holding awake by $1: ${answer:-no answer}" >&2; return 1; }
}

# release_awake: the holder releases its inhibition by its cookie, and
# stays on the bus.
release_awake() {
    local answer
    echo release >&"$HOLDER_IN" && read -r -t "$(scaled 5)" answer <&"${HOLDER[0]}" && [ "$answer" == released ]
}

# leave_awake: the holder leaves the bus without releasing.
leave_awake() {
    local holder=$HOLDER_PID
    exec {HOLDER_IN}>&-
    wait_exit "$holder" 5
}

# Locking: how each desktop's screen saver is locked and unlocked from a
# script, as its own command or the session would.
declare -A LOCK_BY=(
    [mate]="mate-screensaver-command --lock|mate-screensaver-command --deactivate"
    [cinnamon]="gdbus call --session -d org.cinnamon.ScreenSaver -o /org/cinnamon/ScreenSaver -m org.cinnamon.ScreenSaver.Lock locked|gdbus call --session -d org.cinnamon.ScreenSaver -o /org/cinnamon/ScreenSaver -m org.cinnamon.ScreenSaver.SetActive false"
    [xfce]="gdbus call --session -d org.xfce.ScreenSaver -o /org/xfce/ScreenSaver -m org.xfce.ScreenSaver.Lock|gdbus call --session -d org.xfce.ScreenSaver -o /org/xfce/ScreenSaver -m org.xfce.ScreenSaver.SetActive false"
    [gnome]="gdbus call --session -d org.gnome.ScreenSaver -o /org/gnome/ScreenSaver -m org.gnome.ScreenSaver.Lock|gdbus call --session -d org.gnome.ScreenSaver -o /org/gnome/ScreenSaver -m org.gnome.ScreenSaver.SetActive false"
    [logind]="logind_session LockSession SetLockedHint true|logind_session UnlockSession SetLockedHint false"
)

# lock_desktop DESKTOP, unlock_desktop DESKTOP (a key of LOCK_BY).
lock_desktop() { eval "${LOCK_BY[$1]%%|*}" >/dev/null; }
unlock_desktop() { eval "${LOCK_BY[$1]#*|}" >/dev/null; }

# logind_session CALL HINT VALUE: logind's Lock or Unlock signal for the
# session, then its LockedHint set as a locker sets it.
logind_session() {
    busctl --system call org.freedesktop.login1 /org/freedesktop/login1 org.freedesktop.login1.Manager "$1" s c1 &&
        busctl --system call org.freedesktop.login1 /org/freedesktop/login1/session/c1 \
            org.freedesktop.login1.Session "$2" b "$3"
}
