# On a 16-bit screen the window's pixels are not the canvas's, and the saver
# draws through SDL's own image of the window: it still draws coloured
# lines within a second and ends on a key with status 0.
source "$(dirname "$0")/lib/common.bash"
e2e_init "$1"
start_xvfb 1280x800 16

start_saver || exit 1
shown=$(date +%s%N)
drawn_within_a_second "$shown" && pass "drawing within a second" || fail "still black after a second"
sleep 0.5
screenshot "$E2E_WORK/later.png"
colours=$(convert "$E2E_WORK/later.png" -format "%k" info:)
[ "${colours:-0}" -gt 2 ] && pass "$colours colours on the screen" || fail "only ${colours:-no} colours on the screen"
x xdotool key a
expect_end "a key"
e2e_done
