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
# "%1": "factory_<page>_<lang>.png"); the calibration window after a span
# run (--screenshot-calibration FILE, about a minute and a half each). Last
# the instrument register: a few detectors of a site read with the emulator
# at different calibration ages, then the window's own read, its register
# window's list and the detector's page (--screenshot-register), and a
# calibration certificate rendered with pdftoppm.
#
#   bash scripts/screenshots.sh            # docs/screenshot_en.png, docs/screenshot_ja.png,
#                                          # docs/update_question_en.png, ..._ja.png,
#                                          # docs/factory_setup_en.png, ...,
#                                          # docs/calibration_{en,ja}.png,
#                                          # docs/register_list_en.png, docs/certificate_en.png, ...
#   QT_SCALE_FACTOR=2 bash scripts/screenshots.sh /tmp/shots   # 200 %, elsewhere
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TQ_BUILD_DIR:-$root/build}
out=${1:-$root/docs}
mkdir -p "$out"
out=$(cd "$out" && pwd)

if ! command -v xvfb-run >/dev/null || ! command -v pdftoppm >/dev/null ||
    ! fc-list :lang=ja | grep -q .; then
    "$root/scripts/setup.sh"
fi
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target tq7350 tq7350ctl >/dev/null

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

# The register: detectors of a site, each the emulator with its own serial
# number, station, user and calibration and bump-test ages (days).
ctl() { env -u TQ7350_PORT -u TQ7350_SOCKET -u TQ7350_REGISTER "$build/tq7350ctl" "$@" >/dev/null 2>&1; }
mkdir -p "$work/site"
register="$work/site/register.sqlite"
(cd "$work/site" && ctl --sim --sim-state base.json --no-register read)
i=0
while read -r serial station user cal bump; do
    caldate=$(date -d "-$cal days" '+%Y-%m-%d %H:%M:%S')
    bumpdate=$(date -d "-$bump days" '+%Y-%m-%d %H:%M:%S')
    sed -e "s/\"serialNo\": \"[^\"]*\"/\"serialNo\": \"$serial\"/" \
        -e "s/\"stationId\": \"[^\"]*\"/\"stationId\": \"$station\"/" \
        -e "s/\"userId\": \"[^\"]*\"/\"userId\": \"$user\"/" \
        -e "s/\"calibDate\": \"[^\"]*\"/\"calibDate\": \"$caldate\"/g" \
        -e "s/\"bumpDate\": \"[^\"]*\"/\"bumpDate\": \"$bumpdate\"/g" \
        "$work/site/base.json" >"$work/site/d$i.json"
    (cd "$work/site" && ctl --sim --sim-state "d$i.json" --register "$register" read)
    i=$((i + 1))
done <<'SITE'
TQ7350-2403-00131 WEST-GATE K.SATO 200 2
TQ7350-2403-00135 TANK-FARM M.ITO 176 12
TQ7350-2403-00140 BOILER-HOUSE A.KATO 40 33
TQ7350-2403-00152 PUMP-STATION Y.MORI 12 3
TQ7350-2403-00158 LAB-2 H.ABE 95 5
SITE
(cd "$work/site" && ctl --sim --sim-state d0.json --register "$register" span --channels 10101)
for lang in en ja; do
    (cd "$work/site" && env -u TQ7350_PORT -u TQ7350_SOCKET -u TQ7350_LANG \
        timeout 120 xvfb-run -a -s "-screen 0 $screen" \
        "$build/tq7350" --demo --lang "$lang" --register "$register" \
        --screenshot-register "$out/register_%1_$lang.png")
    ctl --lang "$lang" --register "$register" register certificate TQ7350-2403-00131 \
        --out "$work/site/certificate.pdf"
    pdftoppm -png -r 60 -singlefile "$work/site/certificate.pdf" "$out/certificate_$lang"
done
