#!/usr/bin/env bash
# wine-prefix.sh PREFIX ARCH
# Makes sure the private Wine prefix PREFIX (ARCH win64 or win32) exists, reports
# Windows Server 2003 (the filter library acts only on major version 5), and that
# its wineserver and service processes are running detached from the caller's
# output, so a test runner reading a program's output through a pipe never waits
# on them.
set -euo pipefail
. "$(dirname "$0")/wine-env.sh"
prefix=$1
arch=$2
export WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9

if [ ! -f "$prefix/.ready" ]; then
    rm -rf "$prefix"
    wineboot -i </dev/null >/dev/null 2>&1 || true
    wineserver -w
    wine reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d win2003 /f </dev/null >/dev/null 2>&1
    wineserver -w
    touch "$prefix/.ready"
fi

# A persistent server keeps the services alive between test programs.
wineserver -p </dev/null >/dev/null 2>&1 || true
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
