# The hack under XScreenSaver's own daemon, with a settings file that
# selects only it: -activate starts it within a few seconds and the screen
# animates; -deactivate, and later a key, end it. The daemon runs no hack
# as root, so as root the daemon runs as nobody, with a private home and
# the hack in a folder that user can read.
source "$(dirname "$0")/lib/common.bash"
e2e_init "$1"
HACK_BIN="$1/xscreensaver/linesaver"
[ -x "$HACK_BIN" ] || { echo "no hack at $HACK_BIN"; exit 1; }
command -v xscreensaver >/dev/null || { echo "no xscreensaver daemon"; exit 1; }

start_xvfb 1024x768
x xsetroot -solid black

chmod 711 "$E2E_WORK"
home="$E2E_WORK/home"
mkdir -m 700 "$home" "$home/run"
mkdir -m 755 "$E2E_WORK/hacks"
install -m 755 "$HACK_BIN" "$E2E_WORK/hacks/linesaver"
cat >"$home/.xscreensaver" <<SETTINGS
mode: one
selected: 0
timeout: 1:00:00
lock: False
fade: False
unfade: False
splash: False
dpmsEnabled: False
programs: $E2E_WORK/hacks/linesaver --root
SETTINGS
as_user=()
user=$(id -un)
if [ "$(id -u)" -eq 0 ]; then
    chown -R nobody:nogroup "$home"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
    user=nobody
fi
HOME="$home" XDG_RUNTIME_DIR="$home/run" "${as_user[@]}" xscreensaver -no-splash >"$E2E_WORK/daemon.log" 2>&1 &
DAEMON=$!
E2E_PIDS+=("$DAEMON")
daemon_gone() { echo "the daemon ended:"; cat "$E2E_WORK/daemon.log"; exit 1; }
for _ in $(seq 100); do
    x xscreensaver-command -time >/dev/null 2>&1 && break
    running "$DAEMON" || daemon_gone
    sleep 0.1
done

hack_pid() { pgrep -u "$user" -x linesaver; }

# activate NAME: the hack runs and the screen shows its drawing within
# five seconds; $TOOK says after how many milliseconds.
activate() {
    local start lit=0
    start=$(date +%s%N)
    x xscreensaver-command -activate >/dev/null
    while [ $(( ($(date +%s%N) - start) / 1000000 )) -lt 5000 ]; do
        screenshot "$E2E_WORK/shown.png"
        lit=$(lit_fraction "$E2E_WORK/shown.png")
        awk -v l="$lit" 'BEGIN{exit !(l > 0)}' && break
    done
    TOOK=$(( ($(date +%s%N) - start) / 1000000 ))
    if awk -v l="$lit" 'BEGIN{exit !(l > 0)}' && [ -n "$(hack_pid)" ]; then
        pass "$1: the hack drew $TOOK ms after the daemon was told to activate"
    else
        fail "$1: after $TOOK ms: hack ${HACK:-not running}, lit $lit"
        cat "$E2E_WORK/daemon.log"
        return 1
    fi
}

# ended NAME: the hack is gone within five seconds and the screen is black
# again.
ended() {
    local _
    for _ in $(seq 50); do
        [ -z "$(hack_pid)" ] && break
        sleep 0.1
    done
    sleep 0.3
    screenshot "$E2E_WORK/after.png"
    if [ -z "$(hack_pid)" ] && [ "$(lit_fraction "$E2E_WORK/after.png")" = 0 ]; then
        pass "$1 ends it"
    else
        fail "$1: the hack still runs or the screen is not clear"
    fi
}

if activate "-activate"; then
    screenshot "$E2E_WORK/a.png"
    sleep 0.5
    screenshot "$E2E_WORK/b.png"
    changed=$(differing_pixels "$E2E_WORK/a.png" "$E2E_WORK/b.png")
    [ "${changed:-0}" -gt 0 ] && pass "the screen animates ($changed pixels in half a second)" \
        || fail "the screen does not change"
    x xscreensaver-command -deactivate >/dev/null
    ended "-deactivate"
fi
if activate "-activate again"; then
    # Right after it blanks, a busy daemon may not heed the first input yet:
    # the input is given again while the hack runs, three times at most.
    for _ in 1 2 3; do
        x xdotool mousemove 10 10 sleep 0.1 mousemove 600 500 key space
        for _ in $(seq 30); do
            [ -z "$(hack_pid)" ] && break 2
            sleep 0.1
        done
    done
    ended "input"
fi

x xscreensaver-command -exit >/dev/null 2>&1
wait_exit "$DAEMON" 5
e2e_done
