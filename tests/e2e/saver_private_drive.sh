# The saver's private folder R and its copy of the track, whatever
# happens around it: close signals run the whole way out; after SIGKILL
# the next start clears what was left; a link planted where the copy goes
# is never written through; a folder open to others is not used; an error
# escaping a handler is said in one line and leaves as on input, with
# status 1, even when the leaving sequence fails too; and when the X server
# goes away the saver ends at once, with its copy removed.
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/music.bash"
e2e_init "$1"
start_xvfb 1024x768
private_saver
cp "$1"/music/*.mid "$APP/music/"
R="$XDG_RUNTIME_DIR/linesaver"
C="$R/c"

for sig in TERM INT HUP; do
    start_saver || exit 1
    wait_for_copy || fail "SIG$sig: no copy"
    kill -$sig "$SAVER"
    expect_music_end "SIG$sig"
done

# SIGKILL leaves the copy; the next start, even without music, removes it
# and what an interrupted copy left.
start_saver || exit 1
wait_for_copy || fail "SIGKILL: no copy"
kill -KILL "$SAVER"
wait_exit "$SAVER"
[ -f "$(drive_copy)" ] && pass "SIGKILL leaves the copy" || fail "SIGKILL: no copy left"
echo half >"$C/.test.mid.partial.Xy12ab"
mv "$APP/music" "$APP/music.off" && mkdir "$APP/music"
start_saver || exit 1
sleep 0.5
[ -z "$(ls -A "$C")" ] && pass "the next start clears the drive" || fail "the next start left $(ls -A "$C")"
x xdotool key Escape
expect_music_end "after SIGKILL"
rm -rf "$APP/music" && mv "$APP/music.off" "$APP/music"

# A folder open to others, or not the user's own: no music, the animation
# runs, and the folder is left as it was.
cases=("R open to the group|chmod 750 \$R|chmod 700 \$R"
    "R/c open to others|chmod 707 \$C|chmod 700 \$C")
[ "$(id -u)" -eq 0 ] && cases+=("R owned by nobody|chown nobody \$R|chown root \$R")
for c in "${cases[@]}"; do
    IFS='|' read -r what spoil mend <<<"$c"
    eval "$spoil"
    before=$(stat -c '%a %U' "$R" "$C")
    start_saver || { fail "$what: no window"; eval "$mend"; continue; }
    sleep 1
    { running "$SAVER" && [ ! -e "$(drive_copy)" ]; } && pass "$what: drawing, no music" || fail "$what: copied"
    x xdotool key Escape
    wait_exit "$SAVER" 5 && [ "$EXIT_STATUS" -eq 0 ] || fail "$what: the key did not end it with 0"
    [ "$(stat -c '%a %U' "$R" "$C")" = "$before" ] || fail "$what: the folder was changed"
    eval "$mend"
done
# The mended folder plays again, and a link where the copy goes is
# replaced by the copy, its target untouched.
echo "the test's own file" >"$E2E_WORK/target"
ln -s "$E2E_WORK/target" "$(drive_copy)"
start_saver || exit 1
wait_for_copy
[ ! -L "$(drive_copy)" ] && copy_of "$APP/music" >/dev/null && [ "$(cat "$E2E_WORK/target")" = "the test's own file" ] &&
    pass "the mended folder plays again; a planted link is replaced, not written through" ||
    fail "the mended folder with a planted link: copy $(ls -l "$(drive_copy)"), target $(cat "$E2E_WORK/target")"
x xdotool key Escape
expect_music_end "a planted link"
[ "$(cat "$E2E_WORK/target")" = "the test's own file" ] || fail "the link's target changed"

# The faulty saver: an error in its hundredth tick (about 1.5 s after
# start), and with "leave" a second one in its leaving sequence.
cp "$1/linesaver-faulty" "$APP/"
for mode in tick leave; do
    "$APP/linesaver-faulty" $([ "$mode" = leave ] && echo leave) 2>"$E2E_WORK/saver.err" &
    SAVER=$!
    E2E_PIDS+=("$SAVER")
    wait_for_copy 5 || fail "$mode: no copy of a track while it ran"
    wait_exit "$SAVER" 10 || { fail "$mode: still running 10 s after start"; continue; }
    said=$(cat "$E2E_WORK/saver.err")
    # A failed leaving sequence may leave the copy; the next start clears it.
    [ "$EXIT_STATUS" -eq 1 ] && [ "$said" = "linesaver: a planted fault" ] &&
        { [ "$mode" = leave ] || [ ! -e "$(drive_copy)" ]; } && pass "an error in a $mode: one line, status 1" ||
        fail "an error in a $mode: status $EXIT_STATUS, said '$said', copy: $(ls "$(drive_copy)" 2>&1)"
    rm -f "$(drive_copy)"
done

# The X server goes away.
start_saver || exit 1
wait_for_copy
kill -TERM "${E2E_PIDS[0]}"
wait_exit "$SAVER" 1 && [ "$EXIT_STATUS" -eq 1 ] && [ "$(cat "$E2E_WORK/saver.err")" = "linesaver: the display has gone" ] &&
    [ ! -e "$(drive_copy)" ] && pass "the display gone: ends with 1 in time, one line, copy removed" ||
    fail "the display gone, after $(scaled 1) s: $(running "$SAVER" && echo running || echo "status $EXIT_STATUS"), said $(cat "$E2E_WORK/saver.err"), copy $(ls "$(drive_copy)" 2>&1)"
e2e_done
