#!/usr/bin/env bash
# wine-prefix.sh PREFIX ARCH
# Makes sure the private Wine prefix PREFIX (ARCH win64 or win32) exists, reports
# Windows Server 2003 (the filter library acts only on major version 5), and that
# its wineserver and service processes are running detached from the caller's
# output, so a test runner reading a program's output through a pipe never waits
# on them.
#
# Where the kernel cannot run Wine's 32-bit loader, a win32 prefix is a 64-bit
# (WoW64) one whose 32-bit programs run under qemu-i386 (scripts/wine-env.sh):
# wineboot cannot install its 32-bit half without a working 32-bit loader, so Wine's
# 32-bit builtins are put in syswow64 first and wineboot then completes the half
# (registry, side-by-side assemblies) through the emulated loader.
set -euo pipefail
. "$(dirname "$0")/wine-env.sh"
prefix=$1
arch=$2
gw_wine_prefix_env "$prefix" "$arch"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9

if [ ! -f "$prefix/.ready" ]; then
    rm -rf "$prefix"
    if gw_emulated "$arch"; then
        gw_prepare_loader "$prefix"
        # The 32-bit half first fails here: syswow64 is still empty.
        WINELOADER=/usr/lib/wine/wine64 wineboot -i </dev/null >/dev/null 2>&1 || true
        wineserver -w
        cp -r /usr/lib/i386-linux-gnu/wine/i386-windows/. "$prefix/drive_c/windows/syswow64/"
        wineboot -u </dev/null >/dev/null 2>&1 || true
        wineserver -w
        compgen -G "$prefix/drive_c/windows/winsxs/manifests/x86_*" >/dev/null || {
            echo "wine-prefix.sh: the 32-bit half of $prefix was not installed" >&2
            exit 1
        }
    else
        wineboot -i </dev/null >/dev/null 2>&1 || true
        wineserver -w
    fi
    wine reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d win2003 /f </dev/null >/dev/null 2>&1
    wineserver -w
    touch "$prefix/.ready"
elif gw_emulated "$arch"; then
    # The loaders are copies: keep them in step with the installed Wine.
    gw_prepare_loader "$prefix"
fi

# A persistent server keeps the services alive between test programs. They must not
# inherit the lock, or the next call here waits for as long as they live.
wineserver -p </dev/null >/dev/null 2>&1 9>&- || true
wine cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
