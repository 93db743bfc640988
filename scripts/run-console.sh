#!/usr/bin/env bash
# The main job: builds the Windows binaries and starts the Quillon console under
# Wine on the project's private prefix, on the desktop's display. Until the console
# exists it builds the Windows binaries and says what it built and where.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
arch=${GW_ARCH:-win64} # GW_ARCH=win32 for the x86 build

scripts/install-deps.sh
cmake --preset "$arch" >/dev/null
cmake --build --preset "$arch"

echo "Built in $root/build/$arch:"
find "build/$arch" -maxdepth 3 \( -name 'gatewell.dll' -o -name 'quillon.exe' -o -name 'sentinode.dll' -o -name 'QUILLON.chm' \) -not -path '*/tests/*' \
    -printf '  %p\n' | sort

console=$(find "build/$arch" -maxdepth 3 -name quillon.exe | head -n1)
if [ -z "$console" ]; then
    echo "The console is not built yet; nothing to start."
    exit 0
fi
if [ -z "${DISPLAY:-}" ]; then
    echo "No display: set DISPLAY to an X display (for example run 'Xvfb :5 &' and"
    echo "'export DISPLAY=:5', or log in to a desktop) and run this command again."
    exit 1
fi
. scripts/wine-env.sh
scripts/wine-prefix.sh "$root/build/$arch/wineprefix" "$arch"
gw_wine_prefix_env "$root/build/$arch/wineprefix" "$arch"
export WINEDEBUG=-all
exec wine "$console"
