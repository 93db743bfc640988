#!/usr/bin/env bash
# screenshots.sh [BUILD_DIR]
# Takes a screenshot of the Quillon console's main window for every page it has, for
# people to look at (not a test). Runs the built console (BUILD_DIR/bin/quillon.exe,
# default build/win64; the architecture is taken from GW_ARCH, default win64) under a
# private Xvfb and a private Wine prefix made by scripts/wine-prefix.sh, so the console
# shows a fresh default configuration. Pages are switched by clicking the navigation
# bar with xdotool, as an administrator would, where the bar itself says its headers
# and items are; an item that does not bring up a new page stops the script. The server
# monitor is shown with three servers added through its dialog and counts from a
# scenario: the console then runs from a staging folder beside the test bed's stand-in
# wtsapi32.dll (never shipped), loaded for quillon.exe only.
# Writes build/screenshots/NN-<page>.png and leaves nothing running.
#
# Environment: GW_ARCH (win64 | win32), GW_SCREENSHOT_DISPLAY (X display number to use;
# default: the first free one), GW_SCREENSHOT_SIZE (window size, default 1100x760).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
arch=${GW_ARCH:-win64}
build=$(cd "${1:-build/$arch}" && pwd)
exe=$build/bin/quillon.exe
out=$root/build/screenshots
size=${GW_SCREENSHOT_SIZE:-1100x760}

if [ ! -f "$exe" ]; then
    echo "No console at $exe: build it first (cmake --preset $arch && cmake --build --preset $arch)." >&2
    exit 1
fi

need=()
command -v Xvfb >/dev/null || need+=(xvfb)
command -v import >/dev/null || need+=(imagemagick)
command -v xdotool >/dev/null || need+=(xdotool)
command -v wine >/dev/null || need+=(wine)
if [ ${#need[@]} -gt 0 ]; then
    echo "Installing ${need[*]}"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
case $arch in
win64) cc=x86_64-w64-mingw32-gcc ;;
win32) cc=i686-w64-mingw32-gcc ;;
*) echo "GW_ARCH must be win64 or win32" >&2; exit 2 ;;
esac
command -v "$cc" >/dev/null || { echo "$cc is needed to build the window probe" >&2; exit 1; }

work=$(mktemp -d)

# Where the kernel runs no 32-bit programs, Debian's "wine" fails as soon as wine32 is
# installed; the project's helper then hands 64-bit programs to wine64.
if [ -d "$root/tests/fixtures/wine64-path" ]; then
    export PATH=$root/tests/fixtures/wine64-path:$PATH
fi
xvfb_pid=""
console_pid=""
prefix=$root/build/screenshots/wineprefix-$arch
cleanup() {
    if [ -n "$console_pid" ] && kill -0 "$console_pid" 2>/dev/null; then
        kill "$console_pid" 2>/dev/null || true
    fi
    # The prefix is this script's own: stop whatever still runs in it.
    WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# The probe: a small Windows program that answers, from inside the same Wine session,
# where the console's frame, navigation bar headers and items are on the screen (it asks
# the bar) and which page is shown.
"$cc" -O1 -o "$work/probe.exe" scripts/screenshot_probe.c -luser32

# A private X display.
if [ -n "${GW_SCREENSHOT_DISPLAY:-}" ]; then
    display=$GW_SCREENSHOT_DISPLAY
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
else
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
    display=$(tr -dc '0-9' <"$work/display")
fi
if [ -z "$display" ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
    echo "Xvfb did not start" >&2
    exit 1
fi
export DISPLAY=:$display

# The prefix's desktop process starts on this display: Wine shows the windows of every
# program of the prefix through it.
mkdir -p "$out"
rm -f "$out"/[0-9][0-9]-*.png "$out/failed-start.png"
. scripts/wine-env.sh
scripts/wine-prefix.sh "$prefix" "$arch"
gw_wine_prefix_env "$prefix" "$arch"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

probe() {
    wine "$work/probe.exe" "$@" </dev/null 2>/dev/null | tr -d '\r' || true
}

# Grabs the frame until two pictures in a row are the same (the window has finished
# painting), at most a few seconds, into $1.
shoot() {
    local file=$1 geometry previous="" current
    read -r fx fy fw fh <<<"$(probe frame)"
    geometry="${fw}x${fh}+${fx}+${fy}"
    for _ in $(seq 20); do
        import -window root -crop "$geometry" +repage "$work/shot.png"
        current=$(md5sum <"$work/shot.png")
        [ "$current" = "$previous" ] && break
        previous=$current
        sleep 0.25
    done
    cp "$work/shot.png" "$file"
}

click() {
    xdotool mousemove --sync "$1" "$2" click 1
}

# The server monitor's counts: the console and sentinode.dll in a staging folder with
# the stand-in Terminal Services, which answer from this scenario.
standin=$build/e2e-bin/wtsapi32.dll
run_exe=$exe
if [ -f "$standin" ] && [ -f "$build/bin/sentinode.dll" ]; then
    mkdir -p "$work/console"
    cp "$exe" "$build/bin/sentinode.dll" "$standin" "$work/console/"
    run_exe=$work/console/quillon.exe
    cat >"$work/scenario.txt" <<'EOF'
server TS-FINANCE
server TS-SALES
server TS-ARCHIVE fail
session 0 server=TS-FINANCE state=6 winstation=Console
session 65536 server=TS-FINANCE state=6 winstation=RDP-Tcp
session 1 server=TS-FINANCE state=0 winstation=RDP-Tcp#1
session 2 server=TS-FINANCE state=0 winstation=RDP-Tcp#2
session 3 server=TS-FINANCE state=0 winstation=RDP-Tcp#3
session 4 server=TS-FINANCE state=0 winstation=RDP-Tcp#4
session 5 server=TS-FINANCE state=4
session 6 server=TS-FINANCE state=4
session 7 server=TS-FINANCE state=1 winstation=RDP-Tcp#7
session 0 server=TS-SALES state=6 winstation=Console
session 1 server=TS-SALES state=0 winstation=RDP-Tcp#1
session 2 server=TS-SALES state=0 winstation=RDP-Tcp#2
session 3 server=TS-SALES state=3 winstation=RDP-Tcp#3
session 4 server=TS-SALES state=5 winstation=RDP-Tcp#4
session 5 server=TS-SALES state=8 winstation=RDP-Tcp#5
session 6 server=TS-SALES state=4
EOF
    wine reg add 'HKCU\Software\Wine\AppDefaults\quillon.exe\DllOverrides' /v wtsapi32 /d native /f \
        </dev/null >/dev/null 2>&1
    GW_SCENARIO=$(winepath -w "$work/scenario.txt" 2>/dev/null)
    export GW_SCENARIO
else
    echo "  (no stand-in Terminal Services in $build: the server monitor shows no counts)"
fi

# Adds servers to the monitor page through its add dialog, then waits for two ticks.
add_servers() {
    local server x y
    for server in TS-FINANCE TS-SALES TS-ARCHIVE; do
        read -r x y <<<"$(probe control 1059)"
        click "$x" "$y"
        probe adddialog "$server" >/dev/null
    done
    sleep 4.5
}

wine "$run_exe" </dev/null >"$work/console.log" 2>&1 &
console_pid=$!
if [ "$(probe wait "${size%x*}" "${size#*x}")" != "ok" ]; then
    import -window root "$out/failed-start.png" 2>/dev/null || true
    echo "The console's main window did not appear (screen: $out/failed-start.png); its output:" >&2
    cat "$work/console.log" >&2
    exit 1
fi

# Clicks navigation bar header or item $2 (an item of the open group) for page $3.
bar_click() {
    local x y
    read -r x y <<<"$(probe "$1" "$2")"
    if [ "$x" = none ] || [ -z "$y" ]; then
        echo "$3: the navigation bar has no $1 $2" >&2
        exit 1
    fi
    click "$x" "$y"
}

# Navigation bar: group, item, page name, in the bar's order.
pages=(
    "0 0 ip-address" "0 1 computer-name" "0 2 mac-address" "0 3 client-version"
    "0 4 time-restrictions" "1 0 session-per-ip" "1 1 session-per-user"
    "2 0 servers-information" "2 1 popup-messages" "2 2 logs"
)
open=0
n=0
for entry in "${pages[@]}"; do
    read -r group item name <<<"$entry"
    n=$((n + 1))
    file=$(printf '%s/%02d-%s.png' "$out" "$n" "$name")
    before=$(probe page)
    if [ "$group" -ne "$open" ]; then
        # The click is input the console takes in its own time, and a question may be
        # answered before it: ask for an item only once the open group's items have moved.
        first=$(probe item 0)
        bar_click header "$group" "$name"
        for _ in $(seq 30); do
            [ "$(probe item 0)" != "$first" ] && break
            sleep 0.1
        done
        open=$group
    fi
    if [ "$n" -gt 1 ]; then
        bar_click item "$item" "$name"
        # Wait for the page to change (a new page window replaces the old one).
        if [ "$(probe page "${before#* }" 3000)" = "$before" ]; then
            echo "$name: clicking its item did not bring up a new page" >&2
            exit 1
        fi
    fi
    if [ "$name" = servers-information ]; then
        add_servers
    fi
    rm -f "$file"
    shoot "$file"
    echo "  $name: $file"
done

# Close the console as the close box would, without applying the servers added above.
probe close >/dev/null
for _ in $(seq 100); do
    kill -0 "$console_pid" 2>/dev/null || break
    sleep 0.1
done
echo "$n screenshot(s) in $out"
