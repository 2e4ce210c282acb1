#!/usr/bin/env bash
# Every pattern's drawing, byte for byte: the traces of linesaver-render
# against their recorded digests (each pattern 1..70 for 600 ticks on two
# screens with three seeds, and 20000 ticks from start-up), and the gallery
# against docs/gallery.png. A change that moves one line by a thousandth of
# a twip, or one pixel of the gallery, fails here.
#   render_traces.sh BIN_DIR           compare
#   render_traces.sh BIN_DIR --record  write the digests anew
set -euo pipefail
bin=$1
here=$(cd "$(dirname "$0")" && pwd)
golden=$here/golden/traces.sha256
render=$bin/linesaver-render

digest() { "$render" trace "$@" | sha256sum | cut -c1-64; }

all_traces() {
    local screen seed p
    for screen in 1024x768 1920x1080; do
        for seed in 1 2 3; do
            for p in $(seq 1 70); do
                echo "pattern $p seed $seed $screen $(digest --pattern "$p" --ticks 600 --seed "$seed" --screen ${screen/x/ })"
            done
            echo "start seed $seed $screen $(digest --ticks 20000 --seed "$seed" --screen ${screen/x/ })"
        done
    done
}

if [ "${2:-}" = --record ]; then
    all_traces > "$golden"
    exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! diff "$golden" <(all_traces) > "$work/diff"; then
    echo "traces differ from the recorded ones:"
    grep '^>' "$work/diff" | head -10
    exit 1
fi
"$render" gallery "$work/gallery.png"
cmp -s "$work/gallery.png" "$here/../docs/gallery.png" || { echo "the gallery differs from docs/gallery.png"; exit 1; }
echo "$(wc -l < "$golden") traces and the gallery as recorded"
