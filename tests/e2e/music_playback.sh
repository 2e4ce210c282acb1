# The demo tracks beside the saver play from the start; every way out stops
# the music and deletes the temporary copy.
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/music.bash"
e2e_init "$1"
start_xvfb 1024x768
music="$1/music"
ls "$music"/*.mid >/dev/null 2>&1 || { echo "no demo tracks in $music"; exit 1; }

x xdotool mousemove 900 600
use_disk_audio "$E2E_WORK/sound.raw"
start_saver || exit 1
if wait_for_copy && name=$(copy_of "$music"); then
    pass "the copy is $name, byte for byte"
else
    fail "no copy of a demo track on the drive"
fi
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

cases=(
    "a key|x xdotool key space"
    "a click|x xdotool click 1"
    "a mouse step|x xdotool mousemove 901 600; sleep 0.3; x xdotool mousemove 940 630"
)
for c in "${cases[@]}"; do
    x xdotool mousemove 900 600
    use_disk_audio "$E2E_WORK/sound.raw"
    start_saver || exit 1
    wait_for_copy || fail "${c%%|*}: no copy before leaving"
    sleep 0.5
    eval "${c#*|}"
    expect_music_end "${c%%|*}"
done
e2e_done
