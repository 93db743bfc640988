#!/usr/bin/env bash
# startup_timing.sh BUILD_DIR [RUNS]
# Whole-process start-up of quillon.exe under Wine: from launching the program to its
# main window "Quillon" being on the X display. Prints each run and the median (ms).
# Needs DISPLAY and a 64-bit Wine reachable as `wine`; uses the build's prefix.
set -euo pipefail
build=$(cd "$1" && pwd)
runs=${2:-5}
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all
exe=$build/bin/quillon.exe
times=()
for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    wine "$exe" >/dev/null 2>&1 &
    pid=$!
    until grep -q '"Quillon"' <<<"$(xwininfo -root -tree 2>/dev/null)"; do sleep 0.01; done
    end=$(date +%s%N)
    times+=($(((end - start) / 1000000)))
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    while grep -q '"Quillon"' <<<"$(xwininfo -root -tree 2>/dev/null)"; do sleep 0.05; done
done
echo "runs (ms): ${times[*]}"
printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print "median (ms): " a[int((NR+1)/2)]}'
