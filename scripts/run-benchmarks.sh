#!/usr/bin/env bash
# Runs every benchmark program of a build folder, one after another.
set -euo pipefail
dir=${1:-build-bench}
status=0
for b in "$dir"/bench_*; do
  [ -x "$b" ] || continue
  name=$(basename "$b")
  echo "== $name"
  # The window benchmarks, and the peer that bench_sync measures against,
  # need a display.
  if [[ $name == bench_gui_* || $name == bench_sync ]]; then
    xvfb-run -a -s "-screen 0 1280x1024x24" "$b" || status=1
  else
    "$b" || status=1
  fi
done
exit $status
