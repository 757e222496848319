#!/usr/bin/env bash
# Builds the Debian package tq7350_<version>_<arch>.deb: installs what is
# missing, brings the build up to date and packs it with CPack (the contents,
# the dependencies from dpkg-shlibdeps, the control fields: packaging/). Prints
# the package's path.
#
#   bash scripts/package.sh              # build/tq7350_<version>_<arch>.deb
#   bash scripts/package.sh /tmp/out     # into another folder
#   sudo apt install ./build/tq7350_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TQ_BUILD_DIR:-$root/build}
"$root/scripts/setup.sh"
"$root/scripts/build.sh" >/dev/null
out=${1:-$build}
mkdir -p "$out"
out=$(cd "$out" && pwd)
log=$(cd "$build" && cpack -G DEB -B "$out" 2>&1) || {
    echo "$log" >&2
    exit 1
}
# CPack's staging folder is of no further use.
rm -rf "$out/_CPack_Packages"
sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' <<<"$log"
