#!/usr/bin/env bash
# Installs the Debian packages the project needs. Safe to run again: it does
# nothing (and says nothing) when everything is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-tools-dev qt6-tools-dev-tools
    qt6-charts-dev libqt6opengl6-dev
    qt6-l10n-tools libgl-dev libgtest-dev
    qt6-translations-l10n
    xvfb xauth fonts-noto-cjk
    dpkg-dev fakeroot help2man lintian desktop-file-utils appstream
    libqt6sql6-sqlite libqt6sql6-psql postgresql poppler-utils
    # The sanitizer suite and the fuzz targets: clang, its sanitizer and
    # fuzzer libraries (only recommended by clang), and llvm-symbolizer for
    # readable reports.
    clang libclang-rt-14-dev llvm
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}" >&2
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
