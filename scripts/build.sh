#!/usr/bin/env bash
# Configures and builds the project into ./build (or $TQ_BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TQ_BUILD_DIR:-$root/build}
if [ ! -f "$build/build.ninja" ]; then
    launcher=()
    # A developer's machine with ccache rebuilds much faster; CI has none.
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
fi
cmake --build "$build" -- -j"$(nproc)"
