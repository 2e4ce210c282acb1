#!/usr/bin/env bash
# linesaver-render from the command line: traces, PNG sizes and content,
# and bad arguments that end with status 2 and one line on stderr.
source "$(dirname "$0")/lib/common.bash"
e2e_init "$1"
tool="$1/linesaver-render"
work=$E2E_WORK

# A forced first tick of pattern 1, negative values included.
out=$("$tool" trace --pattern 1 --phase -0.03 --anchor 7680 5760 --velocity 64 -48 --colour 10 20 30 --directions 1 -1 1)
[ "$(sed -n 2p <<<"$out")" = "line 10244.000 5712.000 5244.000 5712.000 2559501" ] || fail "forced tick: $out"
grep -q '^state .* px2=64.000000 py2=-48.000000 a4=0.000000 col=13,14,39/1,-1,1$' <<<"$out" || fail "state: $out"

# (That a seed gives one trace, and other seeds others, the recorded
# digests pin.)

# Bad arguments: status 2, exactly one line on stderr, nothing on stdout.
while IFS= read -r args; do
    eval "set -- $args"
    refuses 2 "$tool" "$@" || fail "'$args': status $REFUSED_STATUS, said: $(cat "$work/out" "$work/err")"
done <<'CASES'

nonsense
trace --bogus
trace --pattern 0
trace --pattern 71
trace --pattern 2.5
trace --phase abc
trace --screen 640
trace --colour 1 2 256
trace --directions 1 0 1
trace --ticks -1
trace --seed -3
pattern 3
pattern 80 out.png
pattern x out.png
pattern 3 /nonexistent-dir/out.png
gallery
gallery /nonexistent-dir/g.png
frame
frame f.png --size 0x10
frame f.png --size 10x
frame f.png --size 10x10x
frame f.png --size 16385x10
frame f.png --ticks -1
frame /nonexistent-dir/f.png
CASES

"$tool" trace --help >/dev/null 2>&1 || fail "--help did not exit 0"
"$tool" trace --ticks 10 >/dev/full 2>"$work/err"
[ $? -eq 2 ] && [ "$(wc -l <"$work/err")" -eq 1 ] || fail "a full disk went unreported"

# Pictures: the size asked for, colour on the figure, black elsewhere.
"$tool" pattern 4 "$work/p4.png" --seed 3 || fail "pattern 4 failed"
[ "$(identify -format '%w %h' "$work/p4.png")" = "1024 768" ] || fail "pattern 4 size"
"$tool" pattern 1 "$work/small.png" --screen 320 240 --ticks 20 || fail "small pattern 1 failed"
[ "$(identify -format '%w %h' "$work/small.png")" = "320 240" ] || fail "small size"
"$tool" pattern 62 "$work/empty.png" --ticks 5 || fail "empty slot failed"
[ "$(convert "$work/empty.png" -format '%[fx:int(255*maxima)]' info:)" = 0 ] || fail "empty slot drew"

# The first circle of the run, as the trace of the same start shows it,
# must be on the picture.
read -r x y <<<"$("$tool" trace --pattern 4 --seed 3 | awk '$1 == "circle" {
    cx = $2 / 15; cy = $3 / 15; r = $4 / 15
    x = (cx + r < 1023) ? cx + r : cx - r
    printf "%d %d\n", x, cy }')"
[ "$(convert "$work/p4.png[1x1+$x+$y]" -format '%[fx:int(255*maxima)]' info:)" -gt 0 ] || fail "no colour at ($x, $y) on the first circle"
# One tick is one circle: a thin ring of colour on black.
"$tool" pattern 4 "$work/one.png" --seed 3 --ticks 1 || fail "one tick failed"
lit=$(convert "$work/one.png" -channel RGB -separate -evaluate-sequence max -threshold 0 -format '%[fx:int(100000 * mean)]' info:)
[ "$lit" -gt 50 ] && [ "$lit" -lt 1000 ] || fail "one circle lights $lit / 100000 of the picture"

e2e_done
