# The saver with music under Xvfb for SOAK_MINUTES (default 30): its
# resident memory, sampled every 10 s (kept in SOAK_LOG if set), may grow
# by less than 2 MiB after the first minute. The sound goes through SDL's disk driver to /dev/null,
# in real time, so the tracks follow one another as they would on a desk.
#
# Usage: memory.sh BIN_DIR   (BIN_DIR holds linesaver and its music folder)
source "$(dirname "$0")/../e2e/lib/common.bash"
source "$(dirname "$0")/../e2e/lib/music.bash"
e2e_init "$1"
minutes=${SOAK_MINUTES:-30}
limit_kib=2048

start_xvfb 1920x1080
use_disk_audio /dev/null
start_saver || exit 1
sleep 60
samples="$E2E_WORK/rss"
tracks=0 last=
end=$((SECONDS + minutes * 60 - 60))
while :; do
    running "$SAVER" || { fail "the saver ended by itself"; e2e_done; }
    awk '/^VmRSS:/ { print $2 }' "/proc/$SAVER/status" >>"$samples"
    sum=$(cksum <"$(drive_copy)" 2>/dev/null)
    [ -n "$sum" ] && [ "$sum" != "$last" ] && { tracks=$((tracks + 1)); last=$sum; }
    [ $SECONDS -ge $end ] && break
    sleep 10
done
cp "$samples" "${SOAK_LOG:-/dev/null}" 2>/dev/null
# Growth is what stays: the last sample against the first, and the peaks
# of the last third against those of the first third (a track with more
# instruments raises the peak while it plays, then gives it back).
read -r first final early late < <(awk '{ v[NR] = $1 } END {
    third = int(NR / 3); if (third < 1) third = 1
    for (i = 1; i <= third; i++) if (v[i] > e) e = v[i]
    for (i = NR - third + 1; i <= NR; i++) if (v[i] > l) l = v[i]
    print v[1], v[NR], e, l }' "$samples")
echo "RSS after 1 min $first KiB, after $minutes min $final KiB; peak of the first third $early KiB, of the last $late KiB; $(wc -l <"$samples") samples; track changes seen: $tracks"
if [ $((final - first)) -lt $limit_kib ] && [ $((late - early)) -lt $limit_kib ]; then
    pass "resident memory grew by less than 2 MiB"
else
    fail "resident memory grew: $((final - first)) KiB at the end, $((late - early)) KiB between peaks"
fi
x xdotool key Escape
expect_music_end "a key after the soak"
e2e_done
