#!/usr/bin/env bash
# The whole test run: installs what is missing, builds every preset and runs every
# suite (native unit tests under sanitizers, the fuzz targets, and the Windows
# builds' tests under Wine). Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh

# A private X server for the Windows programs that open windows.
xvfb_pid=
cleanup() {
    for p in build/win64/wineprefix build/win32/wineprefix; do
        [ -d "$p" ] && WINEPREFIX=$root/$p wineserver -k >/dev/null 2>&1 || true
    done
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
for n in $(seq 91 120); do
    if [ ! -e /tmp/.X$n-lock ] && [ ! -e /tmp/.X11-unix/X$n ]; then
        Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        export DISPLAY=:$n
        break
    fi
done
for _ in $(seq 50); do [ -e /tmp/.X11-unix/X${DISPLAY#:} ] && break; sleep 0.1; done

failed=()
step() {
    local name=$1
    shift
    echo "=== $name"
    if ! "$@"; then
        failed+=("$name")
    fi
}

step "native build" bash -c 'cmake --preset native >/dev/null && cmake --build --preset native'
step "native tests" ctest --preset native

step "fuzz build" bash -c 'cmake --preset fuzz >/dev/null && cmake --build --preset fuzz'
step "fuzz runs" scripts/run-fuzzers.sh build/fuzz

step "bench build" bash -c 'cmake --preset bench >/dev/null && cmake --build --preset bench'

. scripts/wine-env.sh
for arch in win64 win32; do
    step "$arch build" bash -c "cmake --preset $arch >/dev/null && cmake --build --preset $arch"
    if [ $arch = win32 ]; then
        case $(gw_win32_route) in
        native) echo "=== win32 Wine tests: Wine's 32-bit loader runs natively" ;;
        qemu) echo "=== win32 Wine tests: Wine's 32-bit loader runs under qemu-i386 (this kernel cannot run 32-bit programs)" ;;
        *)
            # The x86 binaries are built and linked above; running them needs Wine's
            # 32-bit loader, natively or under qemu-i386. The checks that run on
            # Linux (the x86 package's tables) still run.
            echo "=== win32 Wine tests skipped: neither this kernel nor qemu-i386 runs Wine's 32-bit loader"
            step "win32 native checks" ctest --preset win32 -L native
            continue
            ;;
        esac
    fi
    step "$arch prefix" scripts/wine-prefix.sh "$root/build/$arch/wineprefix" "$arch"
    step "$arch tests" ctest --preset $arch
done

# Each failing test's failures (or the end of its output) once more: a log read from its
# tail then says why, not only which.
failed_output() {
    local dir=build/$1 name output failures
    [ -f "$dir/Testing/Temporary/LastTestsFailed.log" ] || return 0
    while IFS=: read -r _ name; do
        echo "--- why $name failed ($1)"
        output=$(awk -v t="$name" '$0 ~ "^[0-9]+/[0-9]+ Testing: " t "$" { s = 1 }
            s && /^<end of output>/ { exit }
            s && o { print }
            s && /^Output:/ { o = 1 }' "$dir/Testing/Temporary/LastTest.log")
        failures=$(grep -E -A4 'Failure$|^FAIL' <<<"$output" | head -n 60 || true)
        if [ -n "$failures" ]; then echo "$failures"; else tail -n 30 <<<"$output"; fi
    done <"$dir/Testing/Temporary/LastTestsFailed.log"
}

echo
if [ ${#failed[@]} -gt 0 ]; then
    for f in "${failed[@]}"; do
        case $f in *" tests") failed_output "${f% tests}" ;; esac
    done
    echo "FAILED: ${failed[*]}"
    exit 1
fi
echo "All suites passed."
