#!/usr/bin/env bash
# Sets up the machine, builds everything and starts the setup program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" >/dev/null
build=${TQ_BUILD_DIR:-$root/build}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "tq7350: no display found; start it on a desktop (or under xvfb-run -a $0)." >&2
    exit 1
fi
exec "$build/tq7350" "$@"
