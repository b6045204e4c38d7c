#!/usr/bin/env bash
# Runs the monkey (tst_monkey) for longer than the test suite does: MINUTES in all (30 by
# default) spread over SEEDS seeds (10 by default), each seed a run of its own on a fresh copy of
# the demo catalogue. It uses the sanitizer build (build-asan, as scripts/sanitize.sh makes it)
# when there is one, else the normal build; MONKEY_BUILD_DIR chooses another. The first seed is
# MONKEY_SEED_BASE (else the time), the others follow it. A failing run leaves its replay file
# in <build>/monkey-replays/; run it again with "tst_monkey --replay FILE".
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
minutes="${1:-30}"
seeds="${2:-10}"
if [[ ! "$minutes" =~ ^[0-9]+$ || ! "$seeds" =~ ^[0-9]+$ || "$seeds" -lt 1 || "$minutes" -lt 1 ]]; then
    echo "usage: scripts/monkey.sh [MINUTES] [SEEDS]" >&2
    exit 2
fi
build="${MONKEY_BUILD_DIR:-}"
[[ -n "$build" ]] && build="$(cd "$build" && pwd)"
if [[ -z "$build" ]]; then
    build="$root/build"
    [[ -x "$root/build-asan/tst_monkey" ]] && build="$root/build-asan"
fi
if [[ ! -x "$build/tst_monkey" ]]; then
    echo "monkey.sh: no tst_monkey in $build; build it first (cmake --build $build --target tst_monkey)" >&2
    exit 2
fi

export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu"
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:detect_stack_use_after_return=0:new_delete_type_mismatch=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export MONKEY_REPLAY_DIR="$build/monkey-replays"
export MONKEY_STEPS=100000000
export MONKEY_SECONDS=$((minutes * 60 / seeds))
# The test library ends a test function after five minutes; a seed may run longer than that.
export QTEST_FUNCTION_TIMEOUT=$(((MONKEY_SECONDS + 300) * 1000))
base="${MONKEY_SEED_BASE:-$(date +%s)}"
logs="$build/monkey-logs"
mkdir -p "$logs" "$MONKEY_REPLAY_DIR"

echo "monkey: $minutes minutes over $seeds seeds from $base, ${MONKEY_SECONDS}s each, in $build"
started=$(date +%s)
total_steps=0
failed=0
for ((i = 0; i < seeds; i++)); do
    seed=$((base + i))
    log="$logs/seed-$seed.log"
    MONKEY_SEED=$seed "$build/tst_monkey" randomRun >"$log" 2>&1
    status=$?
    steps=$(sed -n 's/^MONKEY_STEPS_RUN=//p' "$log" | tail -1)
    [[ -z "$steps" ]] && steps=$(grep -cP '^\d+\tstep\t' "$log")
    total_steps=$((total_steps + steps))
    if [[ $status -eq 0 ]]; then
        echo "seed $seed: $steps steps, passed"
    else
        failed=$((failed + 1))
        echo "seed $seed: FAILED after $steps steps (status $status); log $log"
        grep -E 'MONKEY FAILURE|FAIL!|ERROR: AddressSanitizer|runtime error' "$log" | head -5
        echo "  replay: $MONKEY_REPLAY_DIR/seed-$seed.replay"
    fi
done
elapsed=$(($(date +%s) - started))
echo "monkey: $seeds seeds, $total_steps steps, $((elapsed / 60)) min $((elapsed % 60)) s, $failed failed"
[[ $failed -eq 0 ]]
