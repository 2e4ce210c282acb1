#!/usr/bin/env bash
# make bench: measures the built programs (it builds nothing itself), prints
# the table and writes it to docs/performance.md.
#   BENCH_SECONDS  length of each whole-process case (default 30)
#   BENCH_BIN      folder of the built programs (default build/bin)
#   BENCH_OUT      the report to write (default docs/performance.md)
#   BENCH_BASELINE folder of an earlier build's programs, measured beside
#                  these in the same run (rows marked "earlier build")
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${BENCH_BIN:-$root/build/bin}
for program in linesaver linesaver-pacing linesaver-bench-ticks linesaver-bench-present; do
    [ -x "$bin/$program" ] || { echo "bench: no $bin/$program; run make bench" >&2; exit 1; }
done
for tool in Xvfb sway setpriv xdotool fluidsynth /usr/libexec/xscreensaver/qix /usr/libexec/xscreensaver/epicycle; do
    command -v "$tool" >/dev/null || { echo "bench: $tool is missing; run make deps" >&2; exit 1; }
done
unset WAYLAND_DISPLAY
exec /usr/bin/python3 "$root/bench/harness/main.py" --bin "$bin" --out "${BENCH_OUT:-$root/docs/performance.md}" \
    --seconds "${BENCH_SECONDS:-30}" ${BENCH_BASELINE:+--baseline "$BENCH_BASELINE"}
