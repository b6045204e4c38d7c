#!/usr/bin/env bash
# Starts the installed program of the unpacked package ROOT with a catalogue file named as its
# only argument, as the desktop does for "Exec=tovin-catalog %f": the window must open on it,
# not refuse it as an unknown command. SCRATCH is a folder to write in.
#
#   check-catalogue-argument.sh ROOT SCRATCH
set -euo pipefail
root="$1"
scratch="$2"
home="$scratch/argument-home"
mkdir -p "$home"
catalogue="$scratch/opened by name.mde"
run() {
    env -i PATH="$PATH" HOME="$home" QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 \
        QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu" "$root/usr/bin/tovin-catalog" "$@"
}
run create --demo "$catalogue" >"$scratch/argument-create.log" 2>&1 || {
    cat "$scratch/argument-create.log"
    echo "FAIL: the installed program could not create a catalogue"
    exit 1
}
run --screenshot "$scratch/argument.png" --quit-after-ms 5000 "$catalogue" \
    >"$scratch/argument.log" 2>&1 || {
    cat "$scratch/argument.log"
    echo "FAIL: the installed program refused a catalogue named on its command line"
    exit 1
}
[ -s "$scratch/argument.png" ] || {
    cat "$scratch/argument.log"
    echo "FAIL: the installed program showed no window for a catalogue named on its command line"
    exit 1
}
grep -rqF "$catalogue" "$home/.config/tovin-catalog" || {
    cat "$scratch/argument.log"
    echo "FAIL: the window did not open the catalogue named on its command line"
    exit 1
}
echo "the installed program opened a catalogue named on its command line"
