#!/usr/bin/env bash
# wine-run.sh PREFIX ARCH PROGRAM [ARGS...]
# Runs a Windows program under Wine in the private prefix; used by CTest as the
# cross-compiling emulator. The program's output goes through a file, so Wine
# processes that outlive it never hold the caller's pipe open.
set -uo pipefail
. "$(dirname "$0")/wine-env.sh"
prefix=$1
arch=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
[ -f "$prefix/.ready" ] || "$here/wine-prefix.sh" "$prefix" "$arch"
gw_wine_prefix_env "$prefix" "$arch"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
out=$(mktemp)
wine "$@" </dev/null >"$out" 2>&1
rc=$?
tr -d '\r' <"$out"
rm -f "$out"
exit $rc
