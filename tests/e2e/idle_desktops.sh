# linesaver-idle on each desktop's own daemons, one desktop after another on
# one private X server, each on session buses of its own: an inhibition
# taken through the desktop's own interface holds the saver back, and the
# watcher names its program and reason; released, or its program gone, the
# saver starts. The desktop's screen saver or lock screen coming on ends
# the saver, and none starts while it is on, also when it was on before the
# watcher started; once it has gone, input and the idle time start the
# saver again. MATE's, Cinnamon's and GNOME Shell's are the real daemons,
# Xfce's screen saver and KDE's power manager and screen saver stand-ins.
# Xfce's power manager, which crashes when asked about its inhibitions at
# the wrong time, hands one to the watcher's own org.freedesktop.ScreenSaver
# and lives through it; Xfce's screen saver starts after the watcher. The
# same signal as a lock screen's from a program that does not own its name
# is no lock.
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/desktops.bash"
source "$(dirname "$0")/lib/idle_watch.bash"
e2e_init "$1"
start_xvfb 640x480
desktop_home
IDLE_BIN="$1/linesaver-idle"
AS_USER=()
key() { x xdotool key shift; }
saver_within() { wait_until "$1" eval '! no_saver'; }

up_mate() { start_desktop_bus session ca.desrt.dconf && start_mate_session && start_mate_screensaver true; }
up_cinnamon() { start_desktop_bus session ca.desrt.dconf && start_cinnamon; }
up_xfce() {
    start_desktop_bus session ca.desrt.dconf org.xfce.Xfconf
}
# Xfce's power manager hands its inhibitions to the screen saver it finds
# on the bus when it starts, here the watcher's own
# org.freedesktop.ScreenSaver; Xfce's screen saver comes after it.
watching_xfce() {
    start_xfce_power_manager
    start_screensaver_standin org.xfce.ScreenSaver
}
up_kde() {
    start_desktop_bus session
    coproc AGENT { /usr/bin/python3 "$(dirname "$0")/lib/kde_policy_agent.py" 2>"$E2E_WORK/agent.err"; }
    E2E_PIDS+=("$AGENT_PID")
    read -r -t "$(scaled 10)" _ <&"${AGENT[0]}"
    start_screensaver_standin org.freedesktop.ScreenSaver
}
up_gnome() {
    start_desktop_bus session ca.desrt.dconf org.gnome.ScreenSaver && start_desktop_bus system
    start_logind_standin && start_gnome_shell 640x480
}
take_hold() { if [ "$1" == agent ]; then send_steps AGENT "the agent" hold; else hold_awake "$1"; fi; }
end_hold() { if [ "$1" == agent ]; then send_steps AGENT "the agent" release; else "$2_awake"; fi; }

# While the saver runs: Xfce's power manager has lived through the
# inhibition that came and went; a lock screen's ActiveChanged(true) from another
# program than the one that owns its name ends nothing.
running_xfce() {
    running "$DAEMON" && pass "xfce: the power manager lives through an inhibition" || fail "xfce: the power manager died"
}
running_kde() {
    gdbus emit --session -o /org/freedesktop/ScreenSaver -s org.freedesktop.ScreenSaver.ActiveChanged true
    sleep 1
    ! no_saver && pass "kde: another program's ActiveChanged is no lock" || fail "kde: $(tail -n 2 "$E2E_WORK/idle.err")"
}

declare -A HELD_BY=(
    [mate-screensaver]="test through org.gnome.SessionManager: film"
    [session-manager]="test through org.gnome.SessionManager: film"
    [power-management]="libxfce4ui (xfce4-power-man"
    [agent]="video player through org.kde.Solid.PowerManagement.PolicyAgent: playing a video"
)
rounds=(
    # desktop inhibition through  taken  ended    lock's interface            locked
    "mate     mate-screensaver    before release  org.mate.ScreenSaver        later"
    "cinnamon session-manager     after  leave    org.cinnamon.ScreenSaver    before"
    "xfce     power-management    after  release  org.xfce.ScreenSaver        later"
    "kde      agent               after  release  org.freedesktop.ScreenSaver later"
    "gnome    -                   -      -        org.gnome.ScreenSaver       later"
)
for round in "${rounds[@]}"; do
    read -r desktop way taken ended lock locked <<<"$round"
    desktop_mark
    "up_$desktop"
    [ "$taken" == before ] && take_hold "$way"
    [ "$locked" == before ] && lock_desktop "$desktop"
    start_watcher --after 2s --backend x11 --verbose
    [ "$(type -t "watching_$desktop")" ] && "watching_$desktop"
    if [ "$locked" == before ]; then
        sleep "$(scaled 3)"
        no_saver && grep -qx "linesaver-idle: idle" "$E2E_WORK/idle.err" && grep -q "locked by $lock" "$E2E_WORK/idle.err" &&
            pass "$desktop: locked at the start, idle, none starts" ||
            fail "$desktop: locked at the start: $(cat "$E2E_WORK/idle.err")"
        unlock_desktop "$desktop"
    fi
    [ "$taken" == after ] && take_hold "$way"
    key
    if [ "$way" != - ]; then
        sleep "$(scaled 3)"
        no_saver && grep -q "held back by ${HELD_BY[$way]}" "$E2E_WORK/idle.err" &&
            pass "$desktop: held back by $way, taken $taken" || fail "$desktop: $way: $(cat "$E2E_WORK/idle.err")"
        end_hold "$way" "$ended"
        saver_within 2 && pass "$desktop: $way's hold gone ($ended), the saver starts" || fail "$desktop: none once $ended"
    else
        saver_within 4 || fail "$desktop: no saver"
    fi
    [ "$(type -t "running_$desktop")" ] && "running_$desktop"
    lock_desktop "$desktop"
    wait_until 3 no_saver && grep -q "locked by $lock" "$E2E_WORK/idle.err" &&
        pass "$desktop: its lock ends the saver" || fail "$desktop: locked: $(cat "$E2E_WORK/idle.err")"
    unlock_desktop "$desktop"
    key
    saver_within 4 && pass "$desktop: unlocked, input and the idle time start it" || fail "$desktop: none after the unlock"
    kill -TERM "$WATCHER"
    wait_exit "$WATCHER" 5 && [ "$EXIT_STATUS" -eq 0 ] || fail "$desktop: the watcher did not end with status 0"
    end_desktop
done
e2e_done
