#!/usr/bin/env bash
# Runs each fuzz target for a while over a writable copy of its corpus, one
# after the other, minimizes what it found and reports speed, coverage and
# crashes as each ends. The minimized corpus can replace
# tests/fuzz/corpus/<target>.
# Usage: tests/fuzz/run.sh BUILD_DIR SECONDS
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build-fuzz}" && pwd)
seconds=${2:-600}
runs=$build/fuzz-runs
found=0
for corpus in "$here"/corpus/*/; do
  name=$(basename "$corpus")
  bin=$build/tests/fuzz/fuzz_$name
  work=$runs/$name
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/minimized" "$work/artifacts"
  cp "$corpus"* "$work/corpus/"
  options=(-max_total_time="$seconds" -max_len=1024 -print_final_stats=1 -artifact_prefix="$work/artifacts/")
  [ -f "$here/$name.dict" ] && options+=(-dict="$here/$name.dict")
  echo "fuzzing $name for ${seconds}s (log: $work/log)"
  "$bin" "${options[@]}" "$work/corpus" >"$work/log" 2>&1
  # The kept corpus plus each input that reaches a new edge.
  cp "$corpus"* "$work/minimized/"
  "$bin" -merge=1 -use_counters=0 "$work/minimized" "$work/corpus" >"$work/merge.log" 2>&1
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$work/log" | tail -1)
  crashes=$(find "$work/artifacts" -type f | wc -l)
  found=$((found + crashes))
  echo "$name: ${done_line:-no final stats (see the log)}"
  echo "  corpus $(ls "$work/corpus" | wc -l) files, minimized to $(ls "$work/minimized" | wc -l) in $work/minimized"
  echo "  crashes and broken invariants: $crashes"
  for artifact in "$work/artifacts"/*; do
    [ -f "$artifact" ] && echo "    $artifact: $(grep -m1 -E 'invariant broken|ERROR: ' "$work/log")"
  done
done
[ "$found" -eq 0 ]
