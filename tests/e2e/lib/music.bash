# Helpers of the music's end-to-end tests; source after common.bash.

# drive_copy: the saver's temporary copy of the track, R/c/test.mid.
drive_copy() { echo "$XDG_RUNTIME_DIR/linesaver/c/test.mid"; }

# use_disk_audio FILE: the saver's sound goes into FILE, as stereo 32-bit
# floats at 44100 Hz, in real time.
use_disk_audio() { export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$1"; }

# wait_for_copy [SECONDS]: waits (default 5 s), scaled, until the copy exists.
wait_for_copy() {
    local _
    for _ in $(seq $(($(scaled "${1:-5}") * 20))); do
        [ -f "$(drive_copy)" ] && return 0
        sleep 0.05
    done
    return 1
}

# copy_of FOLDER: prints the name of the .mid file in FOLDER that the copy
# is byte for byte; fails when there is none.
copy_of() {
    local f
    for f in "$1"/*.mid; do
        [ -f "$f" ] || continue # a FIFO would keep cmp waiting
        cmp -s "$f" "$(drive_copy)" && { basename "$f"; return 0; }
    done
    return 1
}

# private_saver: a copy of the saver in a program folder of its own, so a
# test can fill its music folder, $APP/music.
private_saver() {
    APP="$E2E_WORK/app"
    mkdir -p "$APP/music"
    cp "$SAVER_BIN" "$APP/"
    SAVER_BIN="$APP/linesaver"
}

# peak_of RAW: the largest absolute sample of a file written by use_disk_audio.
peak_of() {
    sox -t raw -r 44100 -e floating-point -b 32 -c 2 "$1" -n stat 2>&1 | awk '/Maximum amplitude/ { print $3 }'
}

# expect_music_end NAME: as expect_end, and the copy of the track is gone.
expect_music_end() { expect_end "$1" "$(drive_copy)"; }
