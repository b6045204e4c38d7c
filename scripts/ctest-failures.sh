#!/usr/bin/env bash
# Prints, last, what the failed tests of the last ctest run said about their failures.
# A CI log is shown with its middle cut out; ctest's own output puts a failed test's reasons
# there, among thousands of lines of progress, so they are repeated here at the end.
log="${1:-.}/Testing/Temporary/LastTest.log"
[ -f "$log" ] || exit 0
echo
echo "=== why the failed tests failed (from $log) ==="
grep -a -n -A14 -E 'FAIL!|Received a fatal error|ERROR: AddressSanitizer|runtime error:|Exception: ' \
    "$log" | cut -c1-400 | head -300
