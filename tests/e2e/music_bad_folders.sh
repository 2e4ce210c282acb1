# Whatever lies in the music folder, the saver shows its first frame as
# quickly as with good music, keeps drawing, says nothing, ends on a key
# with status 0 and leaves nothing in its drive. A file that only looks
# like a track is copied once and then refused by the player, so the saver
# stays silent instead of copying it again on every poll; odd names and ten
# thousand files still give a track to play.
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/music.bash"
e2e_init "$1"
demo=$(ls "$1"/music/*.mid 2>/dev/null | head -n 1)
[ -n "$demo" ] || { echo "no demo track in $1/music"; exit 1; }
start_xvfb 1024x768
private_saver
M=$APP/music

# Ten thousand links to the demo track, made by one process: ten thousand
# runs of ln take minutes on a busy machine.
many_files() {
    python3 -c 'import os, sys
for i in range(1, 10001): os.link(sys.argv[1], f"{sys.argv[2]}/track{i}.mid")' "$demo" "$M"
}
huge_lengths() {
    { printf 'MThd\0\0\0\6\0\1\0\2\1\340'
      printf 'MTrk\377\377\377\360\0\377\121\3\7\241\40'
      printf 'MTrk\177\377\377\377\0\220\74\100'; } >"$M/x.mid"
}
# A track the saver may not read is not copied. Root reads any file, so
# then the saver runs as nobody, from a folder nobody may enter.
unreadable() {
    cp "$demo" "$M/x.mid" && chmod 000 "$M/x.mid"
    [ "$(id -u)" -eq 0 ] || return 0
    chmod 711 "$E2E_WORK" && chmod -R a+rX "$APP" && chmod 000 "$M/x.mid"
    install -d -o nobody -m 700 "$E2E_WORK/nobody-run" "$E2E_WORK/nobody-home"
    # A home of its own: with root's, which nobody may read, the window takes seconds.
    printf '#!/bin/sh\nHOME=%s exec setpriv --reuid=nobody --regid=nogroup --clear-groups %s\n' \
        "$E2E_WORK/nobody-home" "$APP/linesaver" >"$E2E_WORK/as-nobody"
    chmod 755 "$E2E_WORK/as-nobody"
    SAVER_BIN="$E2E_WORK/as-nobody"
    export XDG_RUNTIME_DIR="$E2E_WORK/nobody-run"
}

# name|a track is copied (yes/no)|how the folder is made. Which bytes the
# player refuses, its own tests pin; these are the saver's ways with them.
cases=(
    "a good folder|yes|cp '$demo' \$M/good.mid"
    "no music folder|no|rmdir \$M"
    "an empty folder|no|:"
    "only refused names|no|cp '$demo' \$M/C.MID; cp '$demo' \$M/x.MIDI"
    "a zero-byte x.mid|yes|: >\$M/x.mid"
    "a header claiming huge track lengths|yes|huge_lengths"
    "a directory named x.mid|no|mkdir \$M/x.mid"
    "a FIFO named x.mid|no|mkfifo \$M/x.mid"
    "a link x.mid to /dev/zero|no|ln -s /dev/zero \$M/x.mid"
    "a link x.mid to nothing|no|ln -s \$M/missing \$M/x.mid"
    "a 200 MB x.mid|no|cp '$demo' \$M/x.mid; truncate -s 200M \$M/x.mid"
    "a name with spaces and quotes|yes|cp '$demo' \"\$M/it's a \\\"song\\\".mid\""
    "a name with a newline|yes|cp '$demo' \"\$M/two
lines.mid\""
    "a name with non-ASCII letters|yes|cp '$demo' \$M/Für_Élise_夜曲.mid"
    "10,000 files|yes|many_files"
    "an unreadable x.mid|no|unreadable" # the last: it may change the user
)

baseline=
for c in "${cases[@]}"; do
    IFS='|' read -r what copies make <<<"$c"
    make=${c#*|*|}
    rm -rf "$M" && mkdir "$M"
    eval "$make"
    started=$(date +%s%N)
    start_saver || { fail "$what: no window"; continue; }
    shown_ms=$((($(date +%s%N) - started) / 1000000))
    [ -z "$baseline" ] && baseline=$shown_ms
    # The copy as first made: a file the player took and then found stopped
    # would be copied anew at the next poll.
    [ "$copies" = yes ] && wait_for_copy 2
    made=$(stat -c '%i %z' "$(drive_copy)" 2>/dev/null)
    sleep 1.5
    screenshot "$E2E_WORK/shot.png"
    copied=no
    [ -e "$(drive_copy)" ] && copied="a copy of no track there"
    copy_of "$M" >/dev/null 2>&1 && copied=yes
    if ! running "$SAVER" || ! lit "$E2E_WORK/shot.png"; then
        fail "$what: the animation stopped"
    elif [ ! -d "$(dirname "$(drive_copy)")" ]; then
        fail "$what: no drive"
    elif [ "$copied" != "$copies" ]; then
        fail "$what: a track copied is $copied, expected $copies"
    elif [ "$(stat -c '%i %z' "$(drive_copy)" 2>/dev/null)" != "$made" ]; then
        fail "$what: the track was copied again"
    elif [ "$shown_ms" -gt $((baseline + $(scaled 500))) ]; then
        fail "$what: the window took $shown_ms ms, against $baseline ms with good music"
    else
        pass "$what: window in $shown_ms ms, drawing, copied $copied"
    fi
    x xdotool key Escape
    expect_music_end "$what: a key"
    [ -z "$(ls -A "$XDG_RUNTIME_DIR/linesaver/c")" ] || fail "$what: left $(ls -A "$XDG_RUNTIME_DIR/linesaver/c")"
done
e2e_done
