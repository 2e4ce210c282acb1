# With LINESAVER_SEED the saver on the screen shows, after some tick N, the
# very picture `linesaver-render frame` writes for that seed, size and N:
# the render tool (and the web page, which is checked against it) make the
# same start-up and the same choices as the saver.
source "$(dirname "$0")/lib/common.bash"
e2e_init "$1"
tool="$1/linesaver-render"
size=320x240
start_xvfb "$size"
LINESAVER_SEED=11 start_saver || exit 1

# The saver is held still for each look, so that no tick is half shown;
# a look taken between two of a tick's pictures is tried again.
matched=""
for attempt in 1 2 3; do
    sleep 0.3
    kill -STOP "$SAVER"
    screenshot "$E2E_WORK/screen.png"
    kill -CONT "$SAVER"
    convert "$E2E_WORK/screen.png" -depth 8 rgb:"$E2E_WORK/screen.rgb"
    for ticks in $(seq 1 "$(scaled 600)"); do
        "$tool" frame --seed 11 --size "$size" --ticks "$ticks" "$E2E_WORK/frame.png" || break
        convert "$E2E_WORK/frame.png" -depth 8 rgb:"$E2E_WORK/frame.rgb"
        if cmp -s "$E2E_WORK/screen.rgb" "$E2E_WORK/frame.rgb"; then matched=$ticks; break 2; fi
    done
done
[ -n "$matched" ] && pass "the screen is linesaver-render's frame after $matched ticks, byte for byte" \
    || fail "no frame of the first $(scaled 600) ticks is what the screen shows"
e2e_done
