#!/usr/bin/env bash
# Builds the program, its program folder with the demo catalogue, the tests and benchmarks.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
"$root/scripts/install-deps.sh"
# One configuration for every script that builds here (run.sh, test.sh, torture.sh): a warning
# fails the build, the distribution's hardening flags are on (the package the tests build and
# check is made from this build), and running one script after another compiles nothing again.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOVIN_BENCHMARKS=ON \
    -DTOVIN_WARNINGS_AS_ERRORS=ON -DTOVIN_HARDENING=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
