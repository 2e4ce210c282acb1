# Signs of life end the saver at once with status 0: a key, a click, a
# mouse step of more than about two pixels, a close signal. Small steps and
# the first move do not.
source "$(dirname "$0")/lib/common.bash"
e2e_init "$1"
start_xvfb 1024x768

# The pointer rests away from the window's origin when the saver starts, so
# the first move event it sees is a long way from (0, 0).
x xdotool mousemove 900 600
start_saver || exit 1
sleep 0.5
running "$SAVER" && pass "the first move does not end it" || fail "ended by its first move"
# Steps of 1 and 2 pixels: 15 and 30 twips, within the threshold.
for to in "901 600" "901 601" "900 601" "902 601"; do
    x xdotool mousemove $to
    sleep 0.1
done
sleep 0.2
running "$SAVER" && pass "steps of 1 and 2 pixels do not end it" || fail "ended by a small step"
x xdotool mousemove 905 601
expect_end "a 3-pixel step"

cases=(
    "a key|x xdotool key a"
    "a click|x xdotool click 1"
    "SIGTERM|kill -TERM \$SAVER"
    "SIGINT|kill -INT \$SAVER"
    "SIGHUP|kill -HUP \$SAVER"
)
for c in "${cases[@]}"; do
    start_saver || exit 1
    sleep 0.3
    eval "${c#*|}"
    expect_end "${c%%|*}"
done
e2e_done
