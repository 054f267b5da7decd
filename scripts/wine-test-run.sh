#!/usr/bin/env bash
# ctest's runner of the Windows test executables: wine <executable> <args>.
# Under load Wine now and then fails to start a program at all: it ends at
# once, having printed nothing. Such a start is tried once more; a test that
# printed anything (gtest's first line comes before any test runs) is never
# run again, so a failing test still fails.
out=$(mktemp)
trap 'rm -f "$out"' EXIT
for attempt in 1 2; do
  wine "$@" >"$out" 2>&1
  status=$?
  if [ "$status" -eq 0 ] || [ -s "$out" ]; then break; fi
  [ "$attempt" = 1 ] && echo "wine-test-run: $1 ended with status $status before printing anything; starting it again" >&2
done
cat "$out"
exit "$status"
