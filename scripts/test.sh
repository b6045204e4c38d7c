#!/usr/bin/env bash
# Builds everything and runs the whole test suite.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
# The same build as scripts/run.sh's (every compiler warning is an error in both).
"$root/scripts/build.sh"
# The folders of src/core depend one way; a cycle between them fails the run.
python3 "$root/scripts/check-folders.py"
# The tests' temporary files and their PostgreSQL cluster go in the build folder: /tmp may be a
# small memory disk.
export TMPDIR="$build/tmp"
rm -rf "$TMPDIR"
mkdir -p "$TMPDIR"
export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_DISABLE_SANDBOX=1
cd "$build"
ctest --output-on-failure -j2 --timeout 600 \
    || { status=$?; "$root/scripts/ctest-failures.sh" "$PWD"; exit "$status"; }
