# The demo tracks beside the saver play from the start, are heard and not
# clipped, and a close signal stops the music and deletes the temporary
# copy. (Every other way out, with music, is in saver_private_drive.sh.)
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/music.bash"
e2e_init "$1"
start_xvfb 1024x768
music="$1/music"
ls "$music"/*.mid >/dev/null 2>&1 || { echo "no demo tracks in $music"; exit 1; }

x xdotool mousemove 900 600
use_disk_audio "$E2E_WORK/sound.raw"
start_saver || exit 1
wait_for_copy || fail "no copy of a demo track on the drive"
sleep 2
peak=$(peak_of "$E2E_WORK/sound.raw")
if awk -v p="${peak:-0}" 'BEGIN { exit !(p > 0.01 && p < 1) }'; then
    pass "the music is heard, not clipped (peak $peak)"
else
    fail "the music is silent or clipped (peak ${peak:-none})"
fi
running "$SAVER" && pass "the saver runs on with its music" || fail "the saver ended"
kill -TERM "$SAVER"
expect_music_end "SIGTERM"
e2e_done
