#!/usr/bin/env bash
# Sets up the machine, builds everything and runs the program's main job:
# on a desktop the setup window against the built-in detector emulator
# (demonstration mode; the access code is 8261); without a display the
# headless tool reads the emulated detector and prints it.
# Extra arguments go to the window, e.g. `--port /dev/ttyUSB0` instead of the
# emulator is `bash scripts/run.sh --port /dev/ttyUSB0` (drop --demo with
# TQ7350_DEMO=0).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" >/dev/null
build=${TQ_BUILD_DIR:-$root/build}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "tq7350: no display found; reading the built-in emulator with the command-line tool." >&2
    echo "tq7350: on a desktop this script opens the window (or run: xvfb-run -a $0)." >&2
    exec "$build/tq7350ctl" --sim read
fi
demo=(--demo)
[ "${TQ7350_DEMO:-1}" = "0" ] && demo=()
exec "$build/tq7350" "${demo[@]}" "$@"
