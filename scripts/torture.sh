#!/usr/bin/env bash
# Builds the program and its tests (scripts/build.sh), then runs the torture test (tst_torture)
# for MINUTES (10 by default) with one seed from the clock (or TORTURE_SEED): batch commands as
# separate programs on one catalogue, several at once and some killed, beside the window driven
# by the monkey. It prints the seed first and the seed, waves and commands at the end. A failing
# run leaves its replay file in build/torture-replays/; run it again with
# "build/tst_torture --replay FILE", and keep a short one in tests/data/torture/.
# TORTURE_NO_BUILD=1 runs what is built already; TORTURE_PROGRAM=PATH runs the commands with the
# program at PATH, tovin-catalog in a copy of the program folder (so that a rebuild of a shared
# build folder does not fail the run).
# --server puts the catalogue on a private PostgreSQL cluster the test starts and removes itself,
# and ends backends and restarts that server at random moments: "scripts/torture.sh --server 30"
# runs it for 30 minutes. A length ending in "s" counts seconds ("--server 90s").
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
server=0
if [[ "${1:-}" == --server ]]; then
    server=1
    shift
fi
length="${1:-10}"
if [[ "$length" =~ ^([0-9]+)s$ ]]; then
    seconds="${BASH_REMATCH[1]}"
elif [[ "$length" =~ ^[0-9]+$ ]]; then
    seconds=$((length * 60))
else
    seconds=0
fi
if [[ "$seconds" -lt 1 ]]; then
    echo "usage: scripts/torture.sh [--server] [MINUTES | SECONDSs]" >&2
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
export TORTURE_SECONDS=$seconds
export TORTURE_SERVER=$server
export TORTURE_SEED="${TORTURE_SEED:-$(date +%s%N | cut -c1-13)}"
export TORTURE_REPLAY_DIR="$build/torture-replays"
export TMPDIR="${TMPDIR:-$build/tmp}"
# The test library ends a test function after five minutes; this run is longer. A wave started
# just before the time is up still ends.
export QTEST_FUNCTION_TIMEOUT=$(((TORTURE_SECONDS + 600) * 1000))
logs="$build/torture-logs"
mkdir -p "$logs" "$TORTURE_REPLAY_DIR" "$TMPDIR"
kind=$([[ $server == 1 ]] && echo server-seed || echo seed)
log="$logs/$kind-$TORTURE_SEED.log"

echo "torture: $seconds seconds$([[ $server == 1 ]] && echo " on a server"), seed $TORTURE_SEED, log $log"
(cd "$build" && ./tst_torture randomRun) >"$log" 2>&1
status=$?
waves=$(sed -n 's/^TORTURE_WAVES=//p' "$log" | tail -1)
commands=$(sed -n 's/^TORTURE_COMMANDS=//p' "$log" | tail -1)
kills=$(sed -n 's/^TORTURE_KILLS=//p' "$log" | tail -1)
server_events=""
if [[ $server == 1 ]]; then
    ended=$(sed -n 's/^TORTURE_TERMINATIONS=//p' "$log" | tail -1)
    restarts=$(sed -n 's/^TORTURE_RESTARTS=//p' "$log" | tail -1)
    [[ -z "$ended" ]] && ended=$(grep -c '^  ended the backend of ' "$log")
    [[ -z "$restarts" ]] && restarts=$(grep -c '^  the server is up again' "$log")
    server_events=", $ended backends ended, $restarts restarts"
fi
[[ -z "$waves" ]] && waves=$(grep -c '^wave ' "$log")
if [[ $status -eq 0 ]]; then
    echo "torture: seed $TORTURE_SEED, ${waves} waves, ${commands:-?} commands, ${kills:-?} killed${server_events}, passed"
else
    echo "torture: seed $TORTURE_SEED FAILED after ${waves} waves${server_events} (status $status); log $log"
    grep -E 'FAIL!|Received signal|did not end' "$log" | cut -c1-2000 | head -5
    echo "  replay: $TORTURE_REPLAY_DIR/$kind-$TORTURE_SEED.replay"
fi
exit $status
