#!/usr/bin/env bash
# Builds the program and starts it on its demo catalogue.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
"$root/scripts/build.sh"
app="$build/app"
# The demo catalogue and settings of its own, so a catalogue chosen earlier is not disturbed.
settings="$build/demo-settings.ini"
cmd=("$app/tovin-catalog" --settings "$settings" "$@")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting the program on a virtual display (xvfb-run)."
    exec xvfb-run -a -s "-screen 0 1280x900x24" "${cmd[@]}"
fi
exec "${cmd[@]}"
