#!/usr/bin/env bash
# Runs a fuzz target (tests/fuzz/fuzz_*.cpp) for a while on its seeds:
#   bash scripts/fuzz.sh fuzz_settings_file        # 60 seconds
#   bash scripts/fuzz.sh fuzz_link_answers 3600    # an hour
#   bash scripts/fuzz.sh all 30                    # every target in turn (CI)
#   bash scripts/fuzz.sh list                      # the targets
# The targets are built in the sanitizer build folder (scripts/sanitize.sh).
# Inputs that reach new code are kept in build-asan/fuzz-corpus/TARGET (the
# seeds in tests/fuzz/corpus/TARGET are only read); an input that breaks a
# target is written to build-asan/fuzz-crashes/ and the command that replays
# it is printed. Exit status 1 when a target broke.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TQ_ASAN_BUILD_DIR:-$root/build-asan}
target=${1:-}
seconds=${2:-60}
targets=$(cd "$root/tests/fuzz" && ls fuzz_*.cpp | sed 's/\.cpp$//')
if [ -z "$target" ] || [ "$target" = "list" ]; then
    echo "$targets"
    [ -n "$target" ] && exit 0
    echo "usage: bash scripts/fuzz.sh TARGET|all [SECONDS]" >&2
    exit 2
fi
if [ "$target" != "all" ] && ! grep -qx "$target" <<<"$targets"; then
    echo "fuzz.sh: no target $target (bash scripts/fuzz.sh list)" >&2
    exit 2
fi
"$root/scripts/sanitize.sh" --build >/dev/null

export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/scripts/lsan-suppressions.txt:print_suppressions=0
export QT_QPA_PLATFORM=offscreen
mkdir -p "$build/fuzz-crashes"
failed=0
for t in $targets; do
    [ "$target" = "all" ] || [ "$target" = "$t" ] || continue
    work="$build/fuzz-corpus/$t"
    mkdir -p "$work"
    echo "fuzz.sh: $t for $seconds s"
    log="$build/fuzz-crashes/$t.log"
    if "$build/tests/fuzz/$t" "$work" "$root/tests/fuzz/corpus/$t" \
        -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=65536 \
        -artifact_prefix="$build/fuzz-crashes/$t-" -print_final_stats=1 >"$log" 2>&1; then
        grep -E "^stat::number_of_executed_units|^stat::new_units_added" "$log" | tr '\n' ' '
        echo
    else
        failed=1
        tail -n 60 "$log"
        for input in $(grep -o "Test unit written to .*" "$log" | sed 's/Test unit written to //'); do
            echo "fuzz.sh: $t broke; replay with: $build/tests/fuzz/$t $input"
        done
    fi
done
exit $failed
