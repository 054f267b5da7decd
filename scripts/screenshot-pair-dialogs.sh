#!/usr/bin/env bash
# Takes docs/pair-list.png and docs/pair-input.png: the pair list dialog with
# three pairs (a Japanese path among them) and the pair input dialog, on a
# virtual display with a window manager so that the title bars show.
#   scripts/screenshot-pair-dialogs.sh [build-dir] [output-dir]
# The build directory must hold the libzoruna_*.a of every layer (build the
# zoruna target first). Needs xvfb-run, openbox, wx-config and ImageMagick.
set -euo pipefail
. "$(dirname "$0")/screenshot-lib.sh"

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
outdir=$(realpath -m "${2:-$root/docs}")

on_virtual_display "$0" "$build" "$outdir"
make_work_folder

build_shot_program "$root/scripts/pair-dialogs-shot.cpp" "$build" "$work/shot"

start_window_manager "$work"
wm=$wm_pid
mkdir -p "$outdir"
for which in list input; do
  (cd "$work" && HOME="$work" LC_ALL=C.UTF-8 timeout 60 ./shot "$which" "$outdir/pair-$which.png")
  echo "wrote $outdir/pair-$which.png"
done
