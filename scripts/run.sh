#!/usr/bin/env bash
# Sets up the machine, builds everything and runs the program's main job:
# on a desktop the setup window against the built-in detector emulator
# (demonstration mode; the access code is 8261); without a display the
# headless tool reads the emulated detector and prints it.
#
# Arguments go on to the program in both cases:
#   bash scripts/run.sh --lang ja              # the window (or the tool's read) in Japanese
#   bash scripts/run.sh --port /dev/ttyUSB0    # a real detector instead of the emulator
# Naming --port or --socket drops the demonstration mode (so does
# TQ7350_DEMO=0). Without a display the window's own switches (--demo,
# -DEBUG, -SEIZO) mean nothing to the tool and are left out.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" >/dev/null
build=${TQ_BUILD_DIR:-$root/build}

# Whether the arguments name the link themselves.
names_link=0
for arg in "$@"; do
    case "$arg" in
        --port | --port=* | --socket | --socket=* | --demo) names_link=1 ;;
    esac
done

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "tq7350: no display found; reading the built-in emulator with the command-line tool." >&2
    echo "tq7350: on a desktop this script opens the window (or run: xvfb-run -a $0)." >&2
    args=()
    link=(--sim)
    for arg in "$@"; do
        case "${arg^^}" in
            --DEMO | *-DEBUG* | *-SEIZO*) continue ;;
            --PORT | --PORT=* | --SOCKET | --SOCKET=*) link=() ;;
        esac
        args+=("$arg")
    done
    exec "$build/tq7350ctl" "${link[@]}" "${args[@]}" read
fi
demo=(--demo)
{ [ "${TQ7350_DEMO:-1}" = "0" ] || [ "$names_link" = 1 ]; } && demo=()
exec "$build/tq7350" "${demo[@]}" "$@"
