#!/usr/bin/env bash
# Builds the program and its tests (scripts/build.sh), then runs the torture test (tst_torture)
# for MINUTES (10 by default) with one seed from the clock (or TORTURE_SEED): batch commands as
# separate programs on one catalogue, several at once and some killed, beside the window driven
# by the monkey. It prints the seed first and the seed, waves and commands at the end. A failing
# run leaves its replay file in build/torture-replays/; run it again with
# "build/tst_torture --replay FILE", and keep a short one in tests/data/torture/.
# TORTURE_NO_BUILD=1 runs what is built already; TORTURE_PROGRAM=PATH runs the commands from a
# copy of the program folder (so that a rebuild of a shared build folder does not fail the run).
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
minutes="${1:-10}"
if [[ ! "$minutes" =~ ^[0-9]+$ || "$minutes" -lt 1 ]]; then
    echo "usage: scripts/torture.sh [MINUTES]" >&2
    exit 2
fi
build="${BUILD_DIR:-$root/build}"
if [[ "${TORTURE_NO_BUILD:-}" != 1 ]]; then
    "$root/scripts/build.sh" || exit 2
fi
if [[ ! -x "$build/tst_torture" ]]; then
    echo "torture.sh: no tst_torture in $build" >&2
    exit 2
fi

export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu"
export TORTURE_SECONDS=$((minutes * 60))
export TORTURE_SEED="${TORTURE_SEED:-$(date +%s%N | cut -c1-13)}"
export TORTURE_REPLAY_DIR="$build/torture-replays"
export TMPDIR="${TMPDIR:-$build/tmp}"
# The test library ends a test function after five minutes; this run is longer. A wave started
# just before the time is up still ends.
export QTEST_FUNCTION_TIMEOUT=$(((TORTURE_SECONDS + 600) * 1000))
logs="$build/torture-logs"
mkdir -p "$logs" "$TORTURE_REPLAY_DIR" "$TMPDIR"
log="$logs/seed-$TORTURE_SEED.log"

echo "torture: $minutes minutes, seed $TORTURE_SEED, log $log"
(cd "$build" && ./tst_torture randomRun) >"$log" 2>&1
status=$?
waves=$(sed -n 's/^TORTURE_WAVES=//p' "$log" | tail -1)
commands=$(sed -n 's/^TORTURE_COMMANDS=//p' "$log" | tail -1)
[[ -z "$waves" ]] && waves=$(grep -c '^wave ' "$log")
if [[ $status -eq 0 ]]; then
    echo "torture: seed $TORTURE_SEED, ${waves} waves, ${commands:-?} commands, passed"
else
    echo "torture: seed $TORTURE_SEED FAILED after ${waves} waves (status $status); log $log"
    grep -E 'FAIL!|Received signal|did not end' "$log" | cut -c1-2000 | head -5
    echo "  replay: $TORTURE_REPLAY_DIR/seed-$TORTURE_SEED.replay"
fi
exit $status
