#!/usr/bin/env bash
# Saves pictures of the main window, of the factory settings dialog's pages
# and of the calibration window in English and Japanese into docs/:
# starts the program under a virtual X server in demonstration mode (the
# built-in emulator plays the detector), lets it enter the access code, read
# the detector with "Instrument Information" and take the picture itself
# (hidden option --screenshot FILE), once per language. Then the same with
# a few settings changed and "Update" pressed: the question with its preview
# of what the write changes (hidden option --screenshot-question FILE); the
# pages of the factory settings dialog (--screenshot with a FILE holding
# "%1": "factory_<page>_<lang>.png"); and the calibration window after a span
# run (--screenshot-calibration FILE, about a minute and a half each).
#
#   bash scripts/screenshots.sh            # docs/screenshot_en.png, docs/screenshot_ja.png,
#                                          # docs/update_question_en.png, ..._ja.png,
#                                          # docs/factory_setup_en.png, ...,
#                                          # docs/calibration_{en,ja}.png
#   QT_SCALE_FACTOR=2 bash scripts/screenshots.sh /tmp/shots   # 200 %, elsewhere
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TQ_BUILD_DIR:-$root/build}
out=${1:-$root/docs}
mkdir -p "$out"
out=$(cd "$out" && pwd)

if ! command -v xvfb-run >/dev/null || ! fc-list :lang=ja | grep -q .; then
    "$root/scripts/setup.sh"
fi
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target tq7350 >/dev/null

# The program writes its configuration and serial log into the folder it
# runs in: a scratch folder keeps the working tree clean.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
scale=${QT_SCALE_FACTOR:-1}
screen="$((1280 * ${scale%.*}))x$((800 * ${scale%.*}))x24"

shoot() { # option, file, language
    rm -f "$work"/*
    (cd "$work" && env -u TQ7350_PORT -u TQ7350_SOCKET -u TQ7350_LANG \
        timeout 180 xvfb-run -a -s "-screen 0 $screen" \
        "$build/tq7350" --demo --lang "$3" "$1" "$2")
}
for lang in en ja; do
    shoot --screenshot "$out/screenshot_$lang.png" "$lang"
    shoot --screenshot-question "$out/update_question_$lang.png" "$lang"
    shoot --screenshot "$out/factory_%1_$lang.png" "$lang"
    shoot --screenshot-calibration "$out/calibration_$lang.png" "$lang"
done
