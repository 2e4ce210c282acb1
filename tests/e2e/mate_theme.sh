# MATE's screen saver runs the hack as its theme "screensavers-linesaver":
# the package's tree installed into a private folder (the install step
# warns about MATE only for other prefixes), its theme entry valid, and
# mate-screensaver --no-daemon on a private X server and session bus
# starting the hack on --activate (the screen animates) and ending it on
# --deactivate. mate-screensaver runs only hacks inside its own folders,
# so the test runs in private user, mount and pid namespaces, where the
# installed hack folder stands in for /usr/libexec/xscreensaver and every
# process ends with the test.
source "$(dirname "$0")/lib/common.bash"
if [ "${MATE_THEME_INSIDE:-}" != 1 ]; then
    if ! unshare --user --map-root-user --mount --pid --fork --mount-proc true 2>/dev/null; then
        skip "no private user, mount and pid namespaces here"
        e2e_done
    fi
    MATE_THEME_INSIDE=1 exec unshare --user --map-root-user --mount --pid --fork --mount-proc bash "$0" "$@"
fi
source "$(dirname "$0")/lib/session_bus.bash"
e2e_init "$1"
build=$(cd "$1/.." && pwd)
root="$E2E_WORK/root"
hack=/usr/libexec/xscreensaver/linesaver

# --- The install step: MATE's theme, and a note for prefixes MATE refuses.
DESTDIR="$root" cmake --install "$build" --prefix /usr >"$E2E_WORK/install.log" 2>&1 || { cat "$E2E_WORK/install.log"; exit 1; }
cmake --install "$build" --prefix "$E2E_WORK/local" >"$E2E_WORK/local.log" 2>&1 || { cat "$E2E_WORK/local.log"; exit 1; }
if grep -q "MATE" "$E2E_WORK/install.log" || ! grep -q "MATE's screen saver .* runs only hacks in /usr/libexec/xscreensaver" "$E2E_WORK/local.log"; then
    fail "the install step's note about MATE: $(grep MATE "$E2E_WORK/install.log" "$E2E_WORK/local.log")"
else
    pass "installing elsewhere than /usr says that MATE runs only hacks in /usr/libexec/xscreensaver"
fi
theme="$root/usr/share/applications/screensavers/linesaver.desktop"
if ! desktop-file-validate --no-hints "$theme" >"$E2E_WORK/validate.out" 2>&1 || [ -s "$E2E_WORK/validate.out" ]; then
    fail "the theme entry: $(cat "$E2E_WORK/validate.out")"
elif ! grep -qx "Exec=$hack -root" "$theme" || ! grep -qx "Categories=Screensaver;" "$theme"; then
    fail "the theme entry: $(cat "$theme")"
else
    pass "a valid theme entry runs $hack -root"
fi

# --- mate-screensaver on a private X server and session bus.
mount --bind "$root/usr/libexec/xscreensaver" /usr/libexec/xscreensaver || { echo "cannot bind the hack folder"; exit 1; }
start_xvfb 1024x768
export HOME="$E2E_WORK/home" XDG_CONFIG_HOME="$E2E_WORK/config" XDG_DATA_HOME="$E2E_WORK/data"
export XDG_DATA_DIRS="$root/usr/share:/usr/share" NO_AT_BRIDGE=1
# mate-screensaver 1.26 crashes on --activate with XDG_CURRENT_DESKTOP=GNOME.
unset XDG_CURRENT_DESKTOP
mkdir -p "$HOME"
start_bus DBUS_SESSION_BUS_ADDRESS
gsettings set org.mate.screensaver mode single &&
    gsettings set org.mate.screensaver themes "['screensavers-linesaver']" &&
    gsettings set org.mate.screensaver lock-enabled false || { echo "gsettings failed"; exit 1; }

mate-screensaver --no-daemon >"$E2E_WORK/mate.log" 2>&1 &
daemon=$!
E2E_PIDS+=("$daemon")
wait_until 10 mate-screensaver-command --query >/dev/null 2>&1

hack_pid() { ps -o pid=,args= --ppid "$daemon" | awk -v h="$hack" '$2 == h && $3 == "-root" {print $1}'; }
hack_runs() { [ -n "$(hack_pid)" ]; }
mate-screensaver-command --activate >/dev/null 2>&1
if ! wait_until 10 hack_runs; then
    fail "--activate: no hack; mate-screensaver runs: $(ps -o args= --ppid "$daemon")"; cat "$E2E_WORK/mate.log"
else
    pass "--activate runs $hack -root"
    sleep 1
    screen_changes && lit "$E2E_WORK/b.png" && pass "the screen animates ($CHANGED pixels changed in half a second)" \
        || fail "the screen does not animate: lit $(lit_fraction "$E2E_WORK/b.png"), $CHANGED pixels changed"
    mate-screensaver-command --deactivate >/dev/null 2>&1
    wait_until 10 eval '! hack_runs' && pass "--deactivate ends the hack" || fail "--deactivate left the hack running"
fi
e2e_done
