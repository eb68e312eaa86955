#!/usr/bin/env bash
# Runs every fuzzer of a fuzz build for a few seconds each, starting from its corpus
# of regression inputs (tests/fuzz/corpus/NAME) when there is one, with its
# dictionary (tests/fuzz/NAME.dict) when there is one.
set -euo pipefail
build=${1:-build-fuzz}
secs=${2:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
shopt -s nullglob
fuzzers=("$build"/fuzz/fuzz_*)
if [ ${#fuzzers[@]} -eq 0 ]; then
  echo "fuzz-smoke: no fuzzers built"
  exit 0
fi
for f in "${fuzzers[@]}"; do
  name=$(basename "$f")
  corpus="$root/tests/fuzz/corpus/$name"
  work=$(mktemp -d)
  args=()
  [ -f "$root/tests/fuzz/$name.dict" ] && args+=(-dict="$root/tests/fuzz/$name.dict")
  args+=("$work")
  [ -d "$corpus" ] && args+=("$corpus")
  echo "== $name (${secs}s)"
  "$f" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 "${args[@]}" 2>"$work.log" || {
    tail -40 "$work.log"; rm -rf "$work" "$work.log"; exit 1; }
  tail -1 "$work.log"
  rm -rf "$work" "$work.log"
done
