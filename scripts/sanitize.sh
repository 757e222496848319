#!/usr/bin/env bash
# The sanitizer suite: builds everything with clang, AddressSanitizer (leaks
# included) and UndefinedBehaviorSanitizer into ./build-asan (or
# $TQ_ASAN_BUILD_DIR), the fuzz targets too, and runs every test there.
# Undefined behaviour, a memory error or a leak fails the test it happens in.
#   bash scripts/sanitize.sh            # build and run the whole suite
#   bash scripts/sanitize.sh --build    # build only (scripts/fuzz.sh does this too)
#   bash scripts/sanitize.sh -R OptionGrid   # further arguments go to ctest
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TQ_ASAN_BUILD_DIR:-$root/build-asan}
"$root/scripts/setup.sh"
if [ ! -f "$build/build.ninja" ]; then
    launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DTQ_FUZZ=ON "${launcher[@]}" >/dev/null
fi
cmake --build "$build" -- -j"$(nproc)"
[ "${1:-}" = "--build" ] && exit 0

# The sanitizers' settings for every program the tests start, the emulator
# and the tool included. Suppressions cover libraries outside this project
# only (see the file); none names our own code.
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:check_initialization_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/scripts/lsan-suppressions.txt:print_suppressions=0
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 900 "$@"
