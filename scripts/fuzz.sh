#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer
# and runs each for a bounded time (FUZZ_SECONDS, 60 by default) from seeds made of the test
# data. A crash, a hang or a sanitizer report fails the run and leaves the input that caused it
# in build-fuzz/crashes/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${FUZZ_SECONDS:-60}"
"$root/scripts/install-deps.sh" --hardening

# -O1 with line tables only: quicker to build than a full optimised debug build, and the
# reports still name file and line.
CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=None \
    -DTOVIN_FUZZ=ON -DTOVIN_WARNINGS_AS_ERRORS=OFF -DTOVIN_BENCHMARKS=OFF \
    -DCMAKE_CXX_FLAGS="-O1 -gline-tables-only -fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=undefined" \
    >/dev/null
targets=(fuzz-condition fuzz-fieldsplitter fuzz-textfile fuzz-accessreader)
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

seeds() {
    case "$1" in
    fuzz-condition) echo "$root/fuzz/corpus/condition/"* ;;
    fuzz-fieldsplitter | fuzz-textfile)
        ls "$root"/tests/data/delimited/*.csv | grep -v superstore
        ;;
    fuzz-accessreader) echo "$root/tests/data/mdb/barcode_inventory_jet4.mdb" ;;
    esac
}

mkdir -p "$build/crashes"
status=0
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    for seed in $(seeds "$target"); do cp -n "$seed" "$corpus/" 2>/dev/null || true; done
    echo "== $target for ${seconds}s"
    if ! ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
        "$build/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 \
        -print_final_stats=1 -artifact_prefix="$build/crashes/$target-" "$corpus" \
        >"$build/$target.log" 2>&1; then
        tail -60 "$build/$target.log"
        echo "FAIL: $target found a fault; its input is in $build/crashes/"
        status=1
    else
        grep -E "stat::number_of_executed_units|Done [0-9]+ runs" "$build/$target.log" | tail -2
    fi
done
exit $status
