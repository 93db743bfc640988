#!/usr/bin/env bash
# release.sh [OUT_DIR]
# Makes a release: builds the x64 and x86 presets with their packages and leaves in
# OUT_DIR (default build/release) the two MSI packages, a zip of each bitness's files
# and SHA256SUMS over them. Nothing in them is edited by hand: they are what the
# build's `packages` target made.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=${1:-$root/build/release}

scripts/install-deps.sh

files=()
for preset in win64 win32; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target packages
    # The build names what it made for a release.
    mapfile -t -O ${#files[@]} files <"build/$preset/packages/release-files.txt"
done

mkdir -p "$out"
rm -f "$out"/gatewell-*.msi "$out"/gatewell-*.zip "$out/SHA256SUMS"
cp "${files[@]}" "$out/"
(cd "$out" && sha256sum -- *.msi *.zip >SHA256SUMS)
echo "Release in $out:"
ls -l "$out"
