# Music that cannot play leaves the saver silent but running, and it still
# ends cleanly: a folder with only an upper-case name, files that are not
# MIDI, a broken MIDI file, no music folder at all.
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/music.bash"
e2e_init "$1"
demo=$(ls "$1"/music/*.mid 2>/dev/null | head -n 1)
[ -n "$demo" ] || { echo "no demo track in $1/music"; exit 1; }
start_xvfb 1024x768
private_saver

cases=(
    "only C.MID|cp '$demo' \$APP/music/C.MID"
    "a corrupt .mid|head -c 3000 /dev/urandom >\$APP/music/noise.mid"
    "a broken MIDI file|{ printf 'MThd\\0\\0\\0\\6\\0\\1\\0\\1\\1\\340MTrk\\177\\377\\377\\377'; head -c 500 /dev/urandom; } >\$APP/music/broken.mid"
    "no music folder|rmdir \$APP/music"
)
for c in "${cases[@]}"; do
    what=${c%%|*}
    rm -rf "$APP/music" && mkdir "$APP/music"
    eval "${c#*|}"
    start_saver || exit 1
    sleep 2.5
    screenshot "$E2E_WORK/shot.png"
    lit=$(lit_fraction "$E2E_WORK/shot.png")
    if running "$SAVER" && awk -v l="$lit" 'BEGIN { exit !(l > 0) }'; then
        pass "$what: the animation runs on"
    else
        fail "$what: the animation stopped (lit $lit)"
    fi
    x xdotool key Escape
    expect_music_end "$what: a key"
    [ -s "$E2E_WORK/saver.err" ] && fail "$what: printed $(cat "$E2E_WORK/saver.err")"
done
e2e_done
