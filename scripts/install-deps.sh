#!/usr/bin/env bash
# Installs, with apt-get, whatever the build and the test suites need and this machine lacks.
set -euo pipefail

need=()
have() { command -v "$1" >/dev/null 2>&1; }
pkg_installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

have cmake || need+=(cmake)
have ninja || need+=(ninja-build)
have g++ || need+=(g++)
have clang++ || need+=(clang)
have x86_64-w64-mingw32-g++-win32 || need+=(g++-mingw-w64-x86-64)
have i686-w64-mingw32-g++-win32 || need+=(g++-mingw-w64-i686)
have wine || need+=(wine)
pkg_installed wine64 || need+=(wine64)
have Xvfb || need+=(xvfb)
have xauth || need+=(xauth)
have chmcmd || need+=(fp-utils)
have import || need+=(imagemagick)
have wixl || need+=(wixl)
have msiinfo || need+=(msitools)
have python3 || need+=(python3)
# The html logon report is checked in a real browser, headless.
have chromium || need+=(chromium)
have pdftotext || need+=(poppler-utils)
[ -d /usr/src/googletest ] || need+=(googletest)
pkg_installed libgtest-dev || need+=(libgtest-dev)
pkg_installed libbenchmark-dev || need+=(libbenchmark-dev)
pkg_installed libclang-rt-14-dev || need+=(libclang-rt-14-dev)
# Header-only libraries of gwconfig (also used by its mingw builds).
pkg_installed nlohmann-json3-dev || need+=(nlohmann-json3-dev)
pkg_installed libcli11-dev || need+=(libcli11-dev)

# 32-bit Windows programs need Wine's i386 half.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    refresh=1
fi
pkg_installed wine32:i386 || need+=(wine32:i386)
# Where the kernel refuses Wine's 32-bit loader, qemu-i386 runs it in user-mode
# emulation. Before 8.1 qemu ignores MAP_FIXED_NOREPLACE and finds free memory page by
# page, so each start of Wine's loader costs about 45 s of CPU instead of 0.3 s; on
# Debian 12 the newer qemu comes from bookworm-backports.
qemu_fast() {
    dpkg --compare-versions "$(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null)" ge 1:8.1
}
if ! qemu_fast; then
    if grep -qx 'VERSION_CODENAME=bookworm' /etc/os-release &&
        ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d; then
        # The backports suite comes from the archive the machine already uses.
        archive=$(sed -n 's/^URIs:[[:space:]]*\([^[:space:]]*\/debian\)$/\1/p' \
            /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)
        [ -n "$archive" ] || archive=$(awk '$1 == "deb" && $3 == "bookworm" {print $2; exit}' \
            /etc/apt/sources.list 2>/dev/null)
        printf '%s\n' 'Types: deb' "URIs: $archive" 'Suites: bookworm-backports' \
            'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' \
            >/etc/apt/sources.list.d/bookworm-backports.sources
        refresh=1
    fi
    if grep -qx 'VERSION_CODENAME=bookworm' /etc/os-release; then
        qemu=qemu-user/bookworm-backports
    else
        qemu=qemu-user
    fi
fi

if [ ${#need[@]} -gt 0 ] || [ -n "${refresh:-}" ]; then
    echo "Installing: ${need[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
# The emulator only adds the x86 Wine suites: where it cannot be had, the test command
# says so and runs the x86 checks that need no Wine.
if [ -n "${qemu:-}" ]; then
    echo "Installing: $qemu"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$qemu" \
        >/dev/null || echo "qemu-user 8.1 or newer could not be installed: no x86 Wine suites"
fi
