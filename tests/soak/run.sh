#!/bin/bash
# make soak: the long checks that CI runs only in part.
#  1. headless: ten million ticks (ten seeds on five screens), the state
#     and every drawing call checked after each tick;
#  2. a hundred start-stop cycles of the real saver under Xvfb;
#  3. the saver with music under Xvfb for SOAK_MINUTES (default 30), its
#     resident memory growing by less than 2 MiB after the first minute.
# Usage: run.sh BUILD_DIR
set -u -o pipefail
build=${1:-build}
here=$(dirname "$0")
failed=0
screens=("1024 768" "1920 1080" "3840 2160" "1 1" "16384 1")
for seed in $(seq 1 10); do
    screen=${screens[$((seed % ${#screens[@]}))]}
    "$build/bin/linesaver-render" soak --ticks 1000000 --seed "$seed" --screen $screen || failed=1
done
bash "$here/../e2e/saver_cycles.sh" "$build/bin" | tail -n 2 || failed=1
bash "$here/memory.sh" "$build/bin" || failed=1
exit $failed
