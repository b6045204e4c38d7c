#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root and starts the installed program
# with a fresh home folder: it must make the user's data folder, work on the demo catalogue
# there and leave the installed program folder untouched.
set -euo pipefail
build="$1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

(cd "$build" && cpack -G DEB -B "$scratch/package" >"$scratch/cpack.log" 2>&1) || {
    cat "$scratch/cpack.log"
    echo "FAIL: cpack could not build the package"
    exit 1
}
deb="$(ls "$scratch"/package/tovin-catalog_*.deb)"
# Read the control fields whole before matching: with pipefail, "grep -q" quitting early would
# make dpkg-deb die of a broken pipe and fail the check at random.
control="$(dpkg-deb -f "$deb")"
grep -q "^Depends:.*libsqlite3" <<<"$control" || {
    echo "$control"
    echo "FAIL: the package does not depend on the SQLite library"
    exit 1
}
root="$scratch/root"
dpkg-deb -x "$deb" "$root"
installed="$root/usr/lib/tovin-catalog"
for file in usr/bin/tovin-catalog usr/share/applications/tovin-catalog.desktop \
    usr/share/icons/hicolor/32x32/apps/tovin-catalog.png \
    usr/lib/tovin-catalog/tovin2003-a.mde usr/lib/tovin-catalog/TIPOFDAY.TXT \
    usr/lib/tovin-catalog/pictures/NoPic.jpg usr/lib/tovin-catalog/installed-program-folder; do
    [ -e "$root/$file" ] || {
        echo "FAIL: the package lacks $file"
        exit 1
    }
done
before="$(cd "$installed" && find . -printf '%p %s %T@\n' | sort)"

home="$scratch/home"
mkdir -p "$home"
env -i PATH="$PATH" HOME="$home" QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 \
    QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu" \
    "$root/usr/bin/tovin-catalog" --open-screen Products --screenshot "$scratch/shot.png" \
    --quit-after-ms 5000 >"$scratch/run.log" 2>&1 || {
    cat "$scratch/run.log"
    echo "FAIL: the installed program did not start"
    exit 1
}
data="$home/.local/share/tovin-catalog"
for file in tovin2003-a.mde TIPOFDAY.TXT pictures/NoPic.jpg Help; do
    [ -e "$data/$file" ] || {
        echo "FAIL: the user's data folder lacks $file"
        exit 1
    }
done
[ -s "$scratch/shot.png" ] || {
    cat "$scratch/run.log"
    echo "FAIL: the installed program showed no window"
    exit 1
}
if grep -q "Can't find the database file" "$scratch/run.log"; then
    echo "FAIL: the installed program did not find its catalogue"
    exit 1
fi
after="$(cd "$installed" && find . -printf '%p %s %T@\n' | sort)"
[ "$before" = "$after" ] || {
    diff <(echo "$before") <(echo "$after") || true
    echo "FAIL: the installed program folder was written"
    exit 1
}
echo "PASS: the installed package made $data and opened the demo catalogue there"
