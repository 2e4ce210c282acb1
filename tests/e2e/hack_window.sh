# XScreenSaver's hack: it draws into the window it is given (by -window-id
# or by XSCREENSAVER_WINDOW, even with -root) and nowhere else, follows
# the window's size, draws on the root with -root, ends with status 0 on
# SIGTERM, when its window goes or its own window is closed, and refuses a
# window that is not there, a bad XSCREENSAVER_WINDOW or a screen of other
# pixels in one line with status 1; it plays music only when asked, one
# hack at a time, and leaves no process behind (no session bus of its
# own); it draws without shared memory too, and says so in one line when
# the display goes. As xsecurelock's saver it animates every monitor and
# ends with the lock.
# Under XScreenSaver's own daemon, with a settings file that selects only
# it, -activate starts it within a few seconds and the screen animates;
# -deactivate, and later a key, end it.
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/music.bash"
e2e_init "$1"
HACK_BIN="$1/xscreensaver/linesaver"
[ -x "$HACK_BIN" ] || { echo "no hack at $HACK_BIN"; exit 1; }
ls "$1"/music/*.mid >/dev/null 2>&1 || { echo "no demo tracks in $1/music"; exit 1; }
command -v xscreensaver >/dev/null || { echo "no xscreensaver daemon"; exit 1; }
lib="$(dirname "$0")/lib"

start_xvfb 1024x768

# refused NAME ARGS...: status 1, one line on stderr, nothing on stdout.
refused() {
    local name=$1
    shift
    refuses 1 timeout 10 "$HACK_BIN" "$@" && pass "$name: $(cat "$E2E_WORK/err")" ||
        fail "$name: status $REFUSED_STATUS, said: $(cat "$E2E_WORK/out" "$E2E_WORK/err")"
}
# (What the command line refuses, the hack's unit tests pin.)
refused "no such window" -window-id 0x3ffffff1
XSCREENSAVER_WINDOW=nonsense refused "a bad XSCREENSAVER_WINDOW" -root

# test_window WxH+X+Y: a black window of the test's own in $WINDOW, kept by
# the process $KEEPER.
test_window() {
    rm -f "$E2E_WORK/window.id" # not the last window's id
    /usr/bin/python3 "$lib/xprobe.py" window "$1" >"$E2E_WORK/window.id" &
    KEEPER=$!
    E2E_PIDS+=("$KEEPER")
    wait_until 5 test -s "$E2E_WORK/window.id" || { echo "no test window"; exit 1; }
    WINDOW=$(cat "$E2E_WORK/window.id")
}

# start_hack ARGS...: the hack in the background as $HACK, its stderr in
# $E2E_WORK/$HACK_NAME.err (hack.err by default).
start_hack() {
    "${MARKED[@]}" "$HACK_BIN" "$@" 2>"$E2E_WORK/${HACK_NAME:-hack}.err" &
    HACK=$!
    E2E_PIDS+=("$HACK")
}

# draws_only_in NAME REGION ARGS...: the hack, started with ARGS, changes
# the region within two seconds, and nothing outside it.
draws_only_in() {
    local name=$1 region=$2 inside=0 all=0 _
    screenshot "$E2E_WORK/before.png"
    start_hack "${@:3}"
    for _ in $(seq 10); do
        sleep 0.2
        screenshot "$E2E_WORK/after.png"
        all=$(differing_pixels "$E2E_WORK/before.png" "$E2E_WORK/after.png")
        inside=$(differing_pixels "$E2E_WORK/before.png[$region]" "$E2E_WORK/after.png[$region]")
        [ "${inside:-0}" -gt 0 ] && break
    done
    [ "${inside:-0}" -gt 0 ] && [ "$all" = "$inside" ] && pass "$name: $inside pixels drawn inside $region, none outside" ||
        fail "$name: $inside pixels changed inside $region, $all in all"
}

# stops_on_sigterm NAME: SIGTERM ends the hack with status 0 within 100 ms (scaled),
# silently.
stops_on_sigterm() {
    local start took status watchdog
    # One that ignores SIGTERM is killed after 5 s rather than waited for.
    (sleep "$(scaled 5)" && kill -KILL "$HACK") 2>/dev/null &
    watchdog=$!
    # Timed without starting a process: on a busy machine each one costs
    # tens of milliseconds.
    start=${EPOCHREALTIME/./}
    kill -TERM "$HACK"
    wait "$HACK"
    status=$?
    kill "$watchdog" 2>/dev/null
    took=$(( (${EPOCHREALTIME/./} - start) / 1000 ))
    [ "$status" -eq 0 ] && [ "$took" -lt "$(scaled 100)" ] && [ ! -s "$E2E_WORK/hack.err" ] &&
        pass "$1: SIGTERM ended it with 0 in $took ms" ||
        fail "$1: SIGTERM: status $status after $took ms, said: $(cat "$E2E_WORK/hack.err")"
}

# -window-id, in hex and in decimal.
test_window 400x300+100+100
draws_only_in "-window-id $WINDOW" 400x300+100+100 -window-id "$WINDOW"
stops_on_sigterm "-window-id"

draws_only_in "--window-id $((WINDOW))" 400x300+100+100 --window-id "$((WINDOW))"

# Resized (a preview pane that grows): the animation comes to the new area.
x xdotool windowsize "$WINDOW" 700 500
drawn_within 4000 "$(date +%s%N)" 200x500+600+100 && pass "resized to 700x500: the new area is drawn" \
    || fail "resized to 700x500: nothing drawn in the new area"

# The window goes (the preview closed): the hack ends with 0.
kill -TERM "$KEEPER"
wait_exit "$HACK" 5 && [ "$EXIT_STATUS" -eq 0 ] && [ ! -s "$E2E_WORK/hack.err" ] && pass "its window gone, it ended with 0" ||
    fail "its window gone: status ${EXIT_STATUS:-running}, said: $(cat "$E2E_WORK/hack.err")"

# The daemon's way: -root and XSCREENSAVER_WINDOW naming its window.
test_window 300x200+600+500
XSCREENSAVER_WINDOW=$WINDOW draws_only_in "XSCREENSAVER_WINDOW with --root" 300x200+600+500 --root
stops_on_sigterm "XSCREENSAVER_WINDOW"
kill -TERM "$KEEPER"

# -root: the whole screen. Input and the cursor are the daemon's: the hack
# leaves both alone. Music is off unless -music: no drive, no sound.
hacks_drive="$XDG_RUNTIME_DIR/linesaver/hack"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$E2E_WORK/silent.raw" draws_only_in "-root" 1024x768+0+0 -root
x xdotool mousemove 100 100 sleep 0.1 mousemove 900 700 click 1 key space
sleep 0.3
cursor=$(x /usr/bin/python3 "$lib/xprobe.py" cursor)
running "$HACK" && [ "${cursor:-0}" -gt 0 ] && pass "input ignored, the cursor left shown ($cursor pixels)" \
    || fail "after input: running $(running "$HACK" && echo yes || echo no), cursor pixels ${cursor:-none}"
[ ! -e "$hacks_drive" ] && [ ! -e "$E2E_WORK/silent.raw" ] && pass "without -music: no drive, no sound" \
    || fail "without -music: $(ls "$hacks_drive" "$E2E_WORK/silent.raw" 2>&1)"
stops_on_sigterm "-root"

# -window: a window of its own, closed as a window manager closes it.
start_hack -window
own_window() { own=$(x xdotool search --onlyvisible --name '^linesaver$' 2>/dev/null | head -1); [ -n "$own" ]; }
wait_until 5 own_window && pass "-window opens a window of its own ($(geometry "$own"))" || fail "-window: no window named linesaver"
x /usr/bin/python3 "$lib/xprobe.py" close "$own"
wait_exit "$HACK" 5 && [ "$EXIT_STATUS" -eq 0 ] && pass "closing it ends the hack with 0" \
    || fail "closing its window: status ${EXIT_STATUS:-running}"

# Music: of several hacks with -music (one a screen, and the preview) only
# the one holding the music lock plays; the others draw in silence. SIGTERM
# stops the music and deletes the copy, and the next hack to start takes
# the lock over.
drive_copy() { echo "$hacks_drive/test.mid"; }
# start_music_hack NAME ARGS...: a hack on the root window whose sound goes
# to $E2E_WORK/NAME.raw; its process id in $HACK.
start_music_hack() {
    HACK_NAME=$1 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$E2E_WORK/$1.raw" start_hack -root "${@:2}"
}

# sigterm NAME PID: ends with 0, says nothing (but for SDL's note on its
# file audio), and leaves no copy.
sigterm() {
    kill -TERM "$2"
    wait_exit "$2" 5 && [ "$EXIT_STATUS" -eq 0 ] && ! grep -qv '^CRITICAL: ' "$E2E_WORK/$1.err" && [ ! -e "$(drive_copy)" ] &&
        pass "$1: SIGTERM ends it with 0 and leaves no copy" ||
        fail "$1: status ${EXIT_STATUS:-running}, copy $(ls "$(drive_copy)" 2>&1), said: $(cat "$E2E_WORK/$1.err")"
}

start_music_hack first -music
first=$HACK
wait_for_copy && name=$(copy_of "$1/music") && pass "-music: the first hack plays $name" \
    || fail "-music: no copy of a demo track in the hacks' drive"
start_music_hack second --music
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
start_music_hack third -music
wait_for_copy && pass "the lock free again, the next hack plays" || fail "the next hack does not play"
sigterm third "$HACK"
[ -z "$(left_behind)" ] && pass "the hacks with music leave no process behind" || fail "left running: $(left_behind)"

# --- The lock's animation in xsecurelock, on two monitors: its multiplexer
# runs one hack a monitor, each in a window of its own, and ends them with
# the lock. An auth module that accepts at once stands in for the
# password: xsecurelock runs it on the first key and unlocks as after a
# right one.
x xrandr --setmonitor left 512/1x768/1+0+0 screen >/dev/null &&
    x xrandr --setmonitor right 512/1x768/1+512+0 none >/dev/null || { echo "no second monitor"; exit 1; }
x xsetroot -solid black # what the hacks before drew on the root
printf '#!/bin/sh\nexit 0\n' >"$E2E_WORK/auth_accepts"
chmod 755 "$E2E_WORK/auth_accepts"
lock_hack=$(realpath "$HACK_BIN") # xsecurelock runs no other path
locked=$(date +%s%N)
XSECURELOCK_SAVER=$lock_hack XSECURELOCK_AUTH="$E2E_WORK/auth_accepts" xsecurelock 2>"$E2E_WORK/lock.err" &
LOCK=$!
E2E_PIDS+=("$LOCK")
live_hacks() { ps -eo pid=,stat=,args= | awk -v h="$lock_hack" '$3 == h && $2 !~ /^Z/ {print $1}'; }
two_hacks() { [ "$(live_hacks | wc -l)" -eq 2 ]; }
windows=$(wait_until 5 two_hacks && for pid in $(live_hacks); do
    geometry "$(tr '\0' '\n' <"/proc/$pid/environ" | sed -n 's/^XSCREENSAVER_WINDOW=//p')"
done | sort | tr '\n' ' ')
[ "$windows" == "512x768+0+0 512x768+512+0 " ] && pass "xsecurelock: one hack a monitor, in windows $windows" ||
    fail "xsecurelock: hacks $(live_hacks | tr '\n' ' ')in windows '$windows'"
drawn_within 3000 "$locked" 512x768+0+0 && drawn_within 3000 "$locked" 512x768+512+0 &&
    pass "xsecurelock: the animation shows on both monitors" ||
    fail "xsecurelock: lit $(lit_fraction "$E2E_WORK/drawn.png" 512x768+0+0) and $(lit_fraction "$E2E_WORK/drawn.png" 512x768+512+0)"
unset EXIT_STATUS
x xdotool key space
wait_exit "$LOCK" 5 && [ "$EXIT_STATUS" -eq 0 ] && wait_until 2 eval '[ -z "$(live_hacks)" ]' && [ ! -s "$E2E_WORK/lock.err" ] &&
    pass "xsecurelock: unlocking ends it and both hacks, silently" ||
    fail "xsecurelock: status ${EXIT_STATUS:-running}, hacks left: $(live_hacks | tr '\n' ' '), said: $(cat "$E2E_WORK/lock.err")"

# A server that shares no memory (one across the network) gets the
# picture over the connection.
start_xvfb 1024x768 24 -extension MIT-SHM
server=${E2E_PIDS[-1]}
draws_only_in "-root without shared memory" 1024x768+0+0 -root
stops_on_sigterm "-root without shared memory"

# The X server goes away: one line, status 1.
start_hack -root
sleep 0.5
kill -TERM "$server"
wait_exit "$HACK" 5 && [ "$EXIT_STATUS" -eq 1 ] && [ "$(cat "$E2E_WORK/hack.err")" = "linesaver: the display has gone" ] &&
    pass "the display gone: status 1, said: $(cat "$E2E_WORK/hack.err")" ||
    fail "the display gone: status ${EXIT_STATUS:-running}, said: $(cat "$E2E_WORK/hack.err")"

# A screen of other pixels than the canvas's is refused, not drawn wrong.
start_xvfb 640x480 16
refused "a 16-bit screen" -root

# --- XScreenSaver's daemon. It runs no hack as root, so as root the daemon
# runs as nobody, with a private home and the hack in a folder that user
# can read.
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
wait_until 10 x xscreensaver-command -time >/dev/null 2>&1 || { echo "the daemon does not answer:"; cat "$E2E_WORK/daemon.log"; exit 1; }

hack_pid() { pgrep -u "$user" -x linesaver; }
no_hack() { [ -z "$(hack_pid)" ]; }

# activate NAME: the hack runs and the screen shows its drawing within
# five seconds (scaled).
activate() {
    local start
    start=$(date +%s%N)
    x xscreensaver-command -activate >/dev/null
    if drawn_within 5000 "$start" && [ -n "$(hack_pid)" ]; then
        pass "$1: the hack drew $(( ($(date +%s%N) - start) / 1000000 )) ms after the daemon was told to activate"
    else
        fail "$1: hack $(hack_pid), nothing drawn or no hack after $(scaled 5) s"
        cat "$E2E_WORK/daemon.log"
        return 1
    fi
}

# ended NAME: the hack is gone within five seconds and the screen is black
# again.
ended() {
    wait_until 5 no_hack
    sleep 0.3
    screenshot "$E2E_WORK/after.png"
    no_hack && ! lit "$E2E_WORK/after.png" && pass "$1 ends it" ||
        fail "$1: the hack still runs or the screen is not clear"
}

if activate "-activate"; then
    screen_changes && pass "the screen animates ($CHANGED pixels in half a second)" \
        || fail "the screen does not change"
    x xscreensaver-command -deactivate >/dev/null
    ended "-deactivate"
fi
if activate "-activate again"; then
    # Right after it blanks, a busy daemon may not heed the first input yet:
    # the input is given again while the hack runs, three times at most.
    for _ in 1 2 3; do
        x xdotool mousemove 10 10 sleep 0.1 mousemove 600 500 key space
        wait_until 3 no_hack && break
    done
    ended "input"
fi

x xscreensaver-command -exit >/dev/null 2>&1
wait_exit "$DAEMON" 5
e2e_done
