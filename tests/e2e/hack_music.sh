# Music in the hack: off unless -music. Of several hacks with -music (one a
# screen, and the preview) only the one holding the music lock plays; the
# others draw in silence. SIGTERM stops the music and deletes the copy,
# and the next hack to start takes the lock over.
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/music.bash"
e2e_init "$1"
HACK_BIN="$1/xscreensaver/linesaver"
music="$1/music"
ls "$music"/*.mid >/dev/null 2>&1 || { echo "no demo tracks in $music"; exit 1; }
hacks_drive="$XDG_RUNTIME_DIR/linesaver/hack"
drive_copy() { echo "$hacks_drive/test.mid"; }
start_xvfb 1024x768

# start_hack NAME ARGS...: a hack on the root window whose sound goes to
# $E2E_WORK/NAME.raw; its process id in $HACK.
start_hack() {
    local name=$1
    shift
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$E2E_WORK/$name.raw" "$HACK_BIN" -root "$@" 2>"$E2E_WORK/$name.err" &
    HACK=$!
    E2E_PIDS+=("$HACK")
}

# sigterm NAME PID: ends with 0, says nothing (but for SDL's note on its
# file audio), and leaves no copy.
sigterm() {
    kill -TERM "$2"
    if wait_exit "$2" 5 && [ "$EXIT_STATUS" -eq 0 ] && ! grep -qv '^CRITICAL: ' "$E2E_WORK/$1.err" &&
        [ ! -e "$(drive_copy)" ]; then
        pass "$1: SIGTERM ends it with 0 and leaves no copy"
    else
        fail "$1: status ${EXIT_STATUS:-running}, copy $(ls "$(drive_copy)" 2>&1), said: $(cat "$E2E_WORK/$1.err")"
    fi
}

start_hack silent
sleep 1.5
[ ! -e "$hacks_drive" ] && [ ! -e "$E2E_WORK/silent.raw" ] && pass "without -music: no drive, no sound" \
    || fail "without -music: $(ls "$hacks_drive" "$E2E_WORK/silent.raw" 2>&1)"
sigterm silent "$HACK"

start_hack first -music
first=$HACK
wait_for_copy && name=$(copy_of "$music") && pass "-music: the first hack plays $name" \
    || fail "-music: no copy of a demo track in the hacks' drive"
start_hack second --music
second=$HACK
sleep 2
peak=$(peak_of "$E2E_WORK/first.raw")
awk -v p="${peak:-0}" 'BEGIN { exit !(p > 0.01) }' && pass "the first is heard (peak $peak)" \
    || fail "the first is silent (peak ${peak:-none})"
[ ! -s "$E2E_WORK/second.raw" ] && running "$second" && pass "the second draws in silence" \
    || fail "the second: running $(running "$second" && echo yes || echo no), sound $(stat -c %s "$E2E_WORK/second.raw" 2>&1)"
[ ! -e "$XDG_RUNTIME_DIR/linesaver/c" ] && pass "the saver's drive is left alone" \
    || fail "the saver's drive was made: $(ls "$XDG_RUNTIME_DIR/linesaver")"
sigterm first "$first"
sigterm second "$second"

# The lock is free again: the next hack with -music plays.
start_hack third -music
wait_for_copy && pass "the lock free again, the next hack plays" || fail "the next hack does not play"
sigterm third "$HACK"
e2e_done
