#!/usr/bin/env bash
# run-fuzzers.sh BUILD_DIR
# Runs every fuzz target found in BUILD_DIR for a bounded number of runs, from its
# seed corpus and for at most FUZZ_SECONDS each (so a slow target cannot stretch the
# test command); any crash, leak or sanitizer report fails the run.
set -euo pipefail
dir=$1
runs=${FUZZ_RUNS:-200000}
seconds=${FUZZ_SECONDS:-90}
src=$(cd "$(dirname "$0")/.." && pwd)/tests/fuzz
found=0
for bin in "$dir"/tests/fuzz/fuzz_*; do
    [ -x "$bin" ] || continue
    found=1
    name=$(basename "$bin")
    work=$(mktemp -d)
    seeds=$src/corpus/${name#fuzz_}
    [ -d "$seeds" ] && cp "$seeds"/* "$work"/ 2>/dev/null || true
    echo "--- $name: $runs runs"
    "$bin" -runs="$runs" -max_total_time="$seconds" -max_len=4096 -detect_leaks=1 -print_final_stats=0 "$work" 2>"$work.log" || {
        tail -60 "$work.log"
        exit 1
    }
    tail -2 "$work.log"
    rm -rf "$work" "$work.log"
done
[ $found = 1 ] || { echo "no fuzz targets built"; exit 1; }
