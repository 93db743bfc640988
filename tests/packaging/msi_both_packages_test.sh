#!/usr/bin/env bash
# msi_both_packages_test.sh PREFIX X64_MSI X86_MSI
# Both packages on one 64-bit Windows share the Application log's source "Gatewell": it is
# there while either is installed, names both libraries, and goes with the last one, in
# either order of removal. Exits 77 (skipped) when the x64 package has not been built.
set -euo pipefail
prefix=$1 x64_msi=$2 x86_msi=$3
here=$(cd "$(dirname "$0")" && pwd)
scripts=$here/../../scripts
. "$scripts/wine-env.sh"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
[ -f "$x64_msi" ] || { echo "SKIP: no x64 package at $x64_msi"; exit 77; }

rm -rf "$prefix" "$prefix.lock"
"$scripts/wine-prefix.sh" "$prefix" win64
gw_wine_prefix_env "$prefix" win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

win() { "$scripts/wine-run.sh" "$prefix" win64 "$@"; }
winpath() { winepath -w "$1" 2>/dev/null | tr -d '\r'; }
event_source='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Gatewell'
message_files() { win reg query "$event_source" /v EventMessageFile /reg:64 2>/dev/null | tr -d '\r'; }
install() { win msiexec /i "$(winpath "$1")" /qn || fail "msiexec /i $(basename "$1") ended with $?"; }
remove() { win msiexec /x "$(winpath "$1")" /qn || fail "msiexec /x $(basename "$1") ended with $?"; }
source_kept() {
    # Read whole first: a grep -q in a pipe can cut the writer off, a miss to pipefail.
    grep -q -i 'Program Files (x86)\\Marrowby\\Gatewell\\gatewell\.dll;C:\\Program Files\\Marrowby\\Gatewell\\gatewell\.dll' <<<"$(message_files)" ||
        fail "$1: the event source does not name both libraries: $(message_files)"
}
source_gone() {
    ! win reg query "$event_source" /reg:64 >/dev/null 2>&1 || fail "$1: the event source is left behind"
}

for first in x64 x86; do
    if [ $first = x64 ]; then gone=$x64_msi kept=$x86_msi; else gone=$x86_msi kept=$x64_msi; fi
    echo "--- both installed, the $first package removed first"
    install "$x64_msi"
    install "$x86_msi"
    source_kept "both installed"
    remove "$gone"
    source_kept "after removing $(basename "$gone")"
    remove "$kept"
    source_gone "after removing both"
done
echo "PASS: the event source stays while either package is installed and goes with the last"
