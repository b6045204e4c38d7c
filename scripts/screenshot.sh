#!/usr/bin/env bash
# Takes a picture of the main window with one child screen open, on a virtual display.
#
#   scripts/screenshot.sh [SCREEN [OUTPUT.png]]
#
# SCREEN is a registered screen name (default frmSupplier); OUTPUT defaults to
# docs/screenshots/main-supplier.png. The program runs on a fresh copy of the demo catalogue
# with settings of its own (no tip of the day, a roomy window), so nothing of a real
# installation is touched. Environment: BUILD_DIR (default build), WIDTH/HEIGHT of the
# main window in pixels (default 1000x700), WAIT_MS before the picture (default 2500), PREVIEW
# ("large" opens the Products screen with its large preview), WEB_ADDRESS (the address the
# browser screen opens on, such as Help/demo.htm), ACTIONS (what to do before the picture,
# separated by ";": "Screen/Control" presses a button, "Screen/Control=TEXT" types into a box),
# ANSWERS (answers to the input and message boxes those raise, ";"-separated) and FIRST_START=1
# (no stored window settings: the program places its window itself on a WIDTHxHEIGHT display,
# default 1280x900), BEFORE (a batch command run on the catalogue first, "@db" standing for it,
# such as "bulk-edit --db @db --set Retail=10%" for a run in the history). SCREEN may
# also be a menu entry such as mnuR8 (the Inventory Report): the picture is then of the print
# preview.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
screen="${1:-frmSupplier}"
output="${2:-$root/docs/screenshots/main-supplier.png}"
# Named shots that need a dialogue played: "import-margins" is the import screen's last page
# after the white price list, the catalogue's costs and sales prices first lowered so that the
# list raises the costs and leaves some margins thin.
if [ "$screen" = import-margins ]; then
    screen=BuildDB
    output="${2:-$root/docs/screenshots/import-margins.png}"
    BEFORE="${BEFORE:-bulk-edit --db @db --set Cost1=-12% --set Price=50%}"
    ACTIONS="${ACTIONS:-BuildDB/Option1(0);BuildDB/Command1;frmSupplier/cmdClose}"
    ANSWERS="${ANSWERS:-Yes;OK;March price list}"
    WAIT_MS="${WAIT_MS:-6000}"
    HEIGHT="${HEIGHT:-760}"
fi
first_start="${FIRST_START:-}"
if [ -n "$first_start" ]; then
    width="${WIDTH:-1280}"
    height="${HEIGHT:-900}"
else
    width="${WIDTH:-1000}"
    height="${HEIGHT:-700}"
fi
wait_ms="${WAIT_MS:-2500}"
preview=()
[ -n "${PREVIEW:-}" ] && preview=(--preview "$PREVIEW")
[ -n "${WEB_ADDRESS:-}" ] && preview+=(--web-address "$WEB_ADDRESS")
acts=()
if [ -n "${ACTIONS:-}" ]; then
    IFS=';' read -r -a list <<<"$ACTIONS"
    for a in "${list[@]}"; do acts+=(--act "$a"); done
fi
if [ -n "${ANSWERS:-}" ]; then
    IFS=';' read -r -a list <<<"$ANSWERS"
    for a in "${list[@]}"; do acts+=(--answer "$a"); done
fi
# The web engine refuses its sandbox to the root user.
[ "$(id -u)" = 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1

case "$output" in
/*) ;;
*) output="$PWD/$output" ;;
esac

app="$build/app/tovin-catalog"
if [ ! -x "$app" ] || [ ! -f "$build/app/tovin2003-a.mde" ]; then
    cmake -S "$root" -B "$build" >/dev/null
    cmake --build "$build" --target tovin-catalog program_folder -j2
fi
command -v xvfb-run >/dev/null || {
    echo "xvfb-run is missing: install the xvfb package (scripts/install-deps.sh)." >&2
    exit 1
}

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
catalogue="$work/tovin2003-a.mde"
"$app" create --demo "$catalogue" >/dev/null
if [ -n "${BEFORE:-}" ]; then
    read -r -a before <<<"${BEFORE//@db/$catalogue}"
    "$app" "${before[@]}" >/dev/null
fi

# Window placement is kept in twips, 15 to a pixel.
if [ -n "$first_start" ]; then
    cat >"$work/settings.ini" <<SETTINGS
[Options]
Show%20Tips%20at%20Startup=0
SETTINGS
    display="${width}x${height}x24"
else
    display="$((width + 200))x$((height + 200))x24"
    cat >"$work/settings.ini" <<SETTINGS
[Settings]
MainLeft=0
MainTop=0
MainWidth=$((width * 15))
MainHeight=$((height * 15))
StatusVis=True
ButtonVis=True
ButtonTxt=True
DBName=$catalogue

[Options]
Show%20Tips%20at%20Startup=0
SETTINGS
fi

mkdir -p "$(dirname "$output")"
rm -f "$output"
xvfb-run -a -s "-screen 0 $display" \
    "$app" --settings "$work/settings.ini" "${preview[@]}" "${acts[@]}" --open-screen "$screen" \
    --screenshot "$output" --quit-after-ms "$wait_ms"
if [ ! -s "$output" ]; then
    echo "No picture was written to $output" >&2
    exit 1
fi
echo "Wrote $output"
