# The saver with music under Xvfb for SOAK_MINUTES (default 30): its
# resident memory, sampled every 10 s, may grow by less than 2 MiB after
# the first minute. The sound goes through SDL's disk driver to /dev/null,
# in real time, so the tracks follow one another as they would on a desk.
#
# Usage: memory.sh BIN_DIR   (BIN_DIR holds linesaver and its music folder)
source "$(dirname "$0")/../e2e/lib/common.bash"
source "$(dirname "$0")/../e2e/lib/music.bash"
e2e_init "$1"
minutes=${SOAK_MINUTES:-30}
limit_kib=2048

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }

start_xvfb 1920x1080
use_disk_audio /dev/null
start_saver || exit 1
sleep 60
first=$(rss_kib "$SAVER")
peak=$first
tracks=0 last=
end=$((SECONDS + minutes * 60 - 60))
while [ $SECONDS -lt $end ]; do
    sleep 10
    running "$SAVER" || { fail "the saver ended by itself"; e2e_done; }
    now=$(rss_kib "$SAVER")
    [ "$now" -gt "$peak" ] && peak=$now
    sum=$(cksum <"$(drive_copy)" 2>/dev/null)
    [ -n "$sum" ] && [ "$sum" != "$last" ] && { tracks=$((tracks + 1)); last=$sum; }
done
final=$(rss_kib "$SAVER")
echo "after 1 min: $first KiB; after $minutes min: $final KiB; peak $peak KiB; growth $((peak - first)) KiB; track changes seen: $tracks"
if [ $((peak - first)) -lt $limit_kib ]; then
    pass "resident memory grew by less than 2 MiB"
else
    fail "resident memory grew by $((peak - first)) KiB"
fi
x xdotool key Escape
expect_music_end "a key after the soak"
e2e_done
