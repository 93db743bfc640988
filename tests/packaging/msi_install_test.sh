#!/usr/bin/env bash
# msi_install_test.sh PREFIX ARCH MSI NEXT_MSI STAGE CONTENTS PROBE
# Installs the package into a fresh Wine prefix as an administrator would, and checks:
# every staged file is installed byte for byte under Program Files\Marrowby\Gatewell
# (Program Files (x86) for the x86 package on a 64-bit Windows)
# with its Start menu shortcuts; the installed console starts; an upgrade to NEXT_MSI
# replaces the package in place; msiexec /x removes every file and shortcut; and the
# configuration applied before all that is still in the registry byte for byte.
# CONTENTS lists the shipped files as "name|shortcut" lines; PROBE is install_probe.exe.
set -euo pipefail
# A text is read whole before grep -q looks at it: piped, grep stops at its match, the
# writer dies of SIGPIPE when it has more to write, and pipefail takes that for a miss.
prefix=$1 arch=$2 msi=$3 next_msi=$4 stage=$5 contents=$6 probe=$7
here=$(cd "$(dirname "$0")" && pwd)
scripts=$here/../../scripts
. "$scripts/wine-env.sh"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
step() { echo "--- $*"; }

rm -rf "$prefix" "$prefix.lock"
"$scripts/wine-prefix.sh" "$prefix" "$arch"
gw_wine_prefix_env "$prefix" "$arch"
export WINEDEBUG=-all
# No desktop menu entries for the host's user from the Start menu shortcuts.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
work=$prefix/test-work
mkdir -p "$work"

win() { "$scripts/wine-run.sh" "$prefix" "$arch" "$@"; }
winpath() { winepath -w "$1" 2>/dev/null | tr -d '\r'; }
product_code() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductCode" { print $2 }'; }
# On a 64-bit Windows an x86 package lives in the 32-bit Program Files folder and
# registry view, where its library reads the configuration; the x64 one in the 64-bit
# view, named too (reg.exe of a WoW64 prefix may default to the other).
if [ "$arch" = win32 ] && [ -d "$prefix/drive_c/windows/syswow64" ]; then
    program_files="Program Files (x86)" view=/reg:32
elif [ "$arch" = win64 ]; then
    program_files="Program Files" view=/reg:64
else
    program_files="Program Files" view=
fi
registered() { win reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$1" $view >/dev/null; }
export_config() {
    win reg export 'HKLM\Software\Marrowby\Gatewell' "$(winpath "$1")" /y $view >/dev/null ||
        fail "the configuration key is gone"
}

install_dir="$prefix/drive_c/$program_files/Marrowby/Gatewell"
# The Application log's source; its key is the same for both bitnesses.
event_source='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Gatewell'
event_source_file() { win reg query "$event_source" /v EventMessageFile 2>/dev/null | tr -d '\r'; }
# The package puts its shortcuts in the all-users Programs folder; Wine's msiexec
# resolves that folder to the user's one. Either is accepted, and after an uninstall
# neither may hold the Gatewell folder.
menu_dirs() { find "$prefix/drive_c" -type d -path '*/Start Menu/Programs/Gatewell'; }
mapfile -t names < <(cut -d'|' -f1 "$contents")
mapfile -t shortcuts < <(cut -d'|' -f2 "$contents" | grep -v '^$')
[ ${#names[@]} -gt 0 ] || fail "no shipped files in $contents"
[ ${#shortcuts[@]} -gt 0 ] || fail "no shortcuts in $contents"

check_installed() {
    local menu_dir
    menu_dir=$(menu_dirs)
    [ -n "$menu_dir" ] && [ "$(wc -l <<<"$menu_dir")" = 1 ] || fail "no one Start menu folder: $menu_dir"
    for name in "${names[@]}"; do
        cmp -s "$stage/$name" "$install_dir/$name" || fail "$name is not installed as shipped"
    done
    local extra
    extra=$(cd "$install_dir" && ls -A | grep -v -x -F "$(printf '%s\n' "${names[@]}")" || true)
    [ -z "$extra" ] || fail "files that do not ship are installed: $extra"
    for shortcut in "${shortcuts[@]}"; do
        [ -f "$menu_dir/$shortcut.lnk" ] || fail "no Start menu shortcut \"$shortcut\""
    done
    grep -q -i "REG_EXPAND_SZ.*$program_files\\\\Marrowby\\\\Gatewell\\\\gatewell\.dll" <<<"$(event_source_file)" ||
        fail "the event source does not name the installed gatewell.dll: $(event_source_file)"
    # The console's shortcut leads to the installed console.
    grep -a -q -i 'Marrowby\\Gatewell\\quillon\.exe' "$menu_dir/Quillon.lnk" ||
        fail "the Quillon shortcut does not lead to the installed quillon.exe"
}

step "a configuration is applied before anything is installed"
win "$probe" apply || fail "the sample configuration was not applied"
export_config "$work/applied.reg"
# The second of its two applies kept the first in the history, which must stay too.
grep -q 'Gatewell\\History\\00000001\]' <<<"$(iconv -f UTF-16 -t UTF-8 "$work/applied.reg")" ||
    fail "the probe's apply kept no generation in the history"

step "msiexec /i $(basename "$msi") /qn"
win msiexec /i "$(winpath "$msi")" /qn || fail "msiexec /i ended with $?"
check_installed
registered "$(product_code "$msi")" || fail "the product is not registered"
export_config "$work/after-install.reg"
cmp -s "$work/applied.reg" "$work/after-install.reg" || fail "the install changed the configuration"

step "the installed console starts"
win "$probe" start-console "C:\\$program_files\\Marrowby\\Gatewell\\quillon.exe" ||
    fail "the installed console did not start and close"

step "msiexec /i $(basename "$next_msi") /qn (an upgrade in place)"
win msiexec /i "$(winpath "$next_msi")" /qn || fail "the upgrade ended with $?"
check_installed
registered "$(product_code "$next_msi")" || fail "the new version is not registered"
! registered "$(product_code "$msi")" || fail "the old version is still registered"
export_config "$work/after-upgrade.reg"
cmp -s "$work/applied.reg" "$work/after-upgrade.reg" || fail "the upgrade changed the configuration"

step "msiexec /x $(basename "$next_msi") /qn"
win msiexec /x "$(winpath "$next_msi")" /qn || fail "msiexec /x ended with $?"
for name in "${names[@]}"; do
    [ ! -e "$install_dir/$name" ] || fail "$name is still installed"
done
[ ! -e "$install_dir" ] || fail "the install folder is left behind"
[ -z "$(menu_dirs)" ] || fail "the Start menu folder is left behind: $(menu_dirs)"
! win reg query "$event_source" >/dev/null 2>&1 || fail "the event source is left behind"
! registered "$(product_code "$next_msi")" || fail "the product is still registered"
export_config "$work/after-uninstall.reg"
cmp -s "$work/applied.reg" "$work/after-uninstall.reg" || fail "the uninstall changed the configuration"

echo "PASS: installed, started, upgraded and removed; the configuration and its history are untouched"
