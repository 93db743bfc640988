# shellcheck shell=bash
# Sourced by the Wine scripts. Debian's "wine" starts the 32-bit loader whenever
# wine32 is installed, and a kernel without 32-bit support refuses it ("Exec format
# error"); the wrapper in tests/fixtures/wine64-path then hands programs to the 64-bit loader
# (WINELOADER when set). Where the 32-bit loader works the wrapper changes nothing.
gw_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
case ":$PATH:" in
*":$gw_root/tests/fixtures/wine64-path:"*) ;;
*) export PATH=$gw_root/tests/fixtures/wine64-path:$PATH ;;
esac

# True when this machine can run 32-bit Windows programs (Wine's 32-bit loader starts).
gw_can_run_win32() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

# How 32-bit Windows programs run here: "native" (the kernel runs Wine's 32-bit
# loader), "qemu" (the kernel refuses it, and qemu-i386 runs it in user-mode
# emulation) or "none".
# True when qemu-i386 is 8.1 or newer: older ones ignore MAP_FIXED_NOREPLACE, and each
# start of Wine's loader then costs about 45 s, too slow for the suites.
gw_qemu_fast() {
    local version
    version=$(qemu-i386 --version 2>/dev/null | sed -n '1s/.*version \([0-9]*\)\.\([0-9]*\).*/\1 \2/p')
    [ -n "$version" ] && set -- $version && { [ "$1" -gt 8 ] || { [ "$1" -eq 8 ] && [ "$2" -ge 1 ]; }; }
}

gw_win32_route() {
    if gw_can_run_win32; then
        echo native
    elif gw_qemu_fast && qemu-i386 /usr/lib/wine/wine --version >/dev/null 2>&1; then
        echo qemu
    else
        echo none
    fi
}

# True when the prefix for ARCH is a 64-bit one whose 32-bit programs run under qemu.
gw_emulated() { [ "$1" = win32 ] && [ "$(gw_win32_route)" = qemu ]; }

# The loaders of an emulated prefix live beside it, laid out like /usr/lib/wine.
gw_loader_dir() { echo "$1/loader/lib/wine"; }

# Exports what a Wine program in PREFIX (ARCH win64 or win32) needs. An emulated x86
# prefix is a 64-bit (WoW64) one: its 64-bit half runs natively, so the 64-bit
# registry tools serve it, and Wine hands each 32-bit program to qemu (see
# gw_prepare_loader).
gw_wine_prefix_env() {
    export WINEPREFIX=$1
    if gw_emulated "$2"; then
        export WINEARCH=win64 WINELOADER
        WINELOADER=$(gw_loader_dir "$1")/wine64
    else
        export WINEARCH=$2
    fi
}

# Lays out the loaders of an emulated prefix. Wine starts every new process through
# "wine-preloader" (then "wine") or "wine64" in the folder of the loader that runs
# it, and finds its libraries and data relative to that folder, so this folder holds
# copies of the two loaders (a link would lead Wine back to /usr/lib/wine), links to
# the libraries and data, and as "wine-preloader" the wrapper that runs the 32-bit
# loader under qemu-i386. WINELOADERNOEXEC keeps that loader from re-executing itself
# through a preloader, which the kernel would refuse.
gw_prepare_loader() {
    local root=$1/loader dir
    dir=$(gw_loader_dir "$1")
    mkdir -p "$dir" "$root/share" "$root/lib/x86_64-linux-gnu" "$root/lib/i386-linux-gnu"
    local loader
    for loader in wine wine64; do
        cmp -s "/usr/lib/wine/$loader" "$dir/$loader" || cp -f "/usr/lib/wine/$loader" "$dir/$loader"
    done
    ln -sfn /usr/lib/wine/wineserver "$dir/wineserver"
    ln -sfn /usr/lib/x86_64-linux-gnu/wine "$root/lib/x86_64-linux-gnu/wine"
    ln -sfn /usr/lib/i386-linux-gnu/wine "$root/lib/i386-linux-gnu/wine"
    ln -sfn /usr/share/wine "$root/share/wine"
    cat >"$dir/wine-preloader.new" <<'EOF'
#!/bin/sh
# Wine's 32-bit loader under user-mode emulation: "$1" is the loader, then the program.
export WINELOADERNOEXEC=1
exec qemu-i386 "$@"
EOF
    chmod +x "$dir/wine-preloader.new"
    mv -f "$dir/wine-preloader.new" "$dir/wine-preloader"
}
