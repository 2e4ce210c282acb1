# An error escaping a handler: the saver says so in one line, leaves as on
# input (the music stopped, its copy deleted, the window gone) and ends with
# status 1; an error in the leaving sequence itself still ends it, with the
# same one line and status 1.
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/music.bash"
e2e_init "$1"
start_xvfb 1024x768
SAVER_BIN="$1/linesaver-faulty"
private_saver
cp "$1"/music/*.mid "$APP/music/"
SAVER_BIN="$APP/linesaver-faulty"

for mode in tick leave; do
    args=()
    [ "$mode" = leave ] && args=(leave)
    start_saver "${args[@]}" || { fail "$mode: no window"; continue; }
    wait_for_copy 5 || fail "$mode: no copy of a track while it ran"
    if ! wait_exit "$SAVER" 10; then
        fail "$mode: still running 10 s after start"
        continue
    fi
    said=$(cat "$E2E_WORK/saver.err")
    [ "$EXIT_STATUS" -eq 1 ] || fail "$mode: status $EXIT_STATUS, not 1"
    [ "$said" = "linesaver: a planted fault" ] || fail "$mode: said '$said'"
    if [ "$mode" = tick ]; then
        [ ! -e "$(drive_copy)" ] || fail "tick: the copy of the track is left behind"
        pass "an error in a tick: one line, the copy deleted, status 1"
    else
        pass "an error while leaving: one line, status 1"
    fi
    rm -f "$(drive_copy)"
done
e2e_done
