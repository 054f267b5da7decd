#!/usr/bin/env bash
# Takes docs/compare-progress.png: the comparison's progress window over the
# main window while a tree of a thousand folders is compared, its
# listings slowed as on a slow network mount, on a virtual display with a
# window manager.
#   scripts/screenshot-compare-progress.sh [build-dir] [output.png]
# ZORUNA_SHOT_LANG=en_US.UTF-8 takes it in English (default C.UTF-8, Japanese).
# The build directory must hold the libzoruna_*.a of every layer (build the
# zoruna target first). Needs xvfb-run, openbox, wx-config and ImageMagick.
set -euo pipefail
. "$(dirname "$0")/screenshot-lib.sh"

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
out=$(realpath -m "${2:-$root/docs/compare-progress.png}")

on_virtual_display "$0" "$build" "$out"
make_work_folder

build_shot_program "$root/scripts/compare-progress-shot.cpp" "$build" "$work/shot"
# The program looks for its catalogs beside itself, as zoruna does.
ln -s "$build/locale" "$work/locale"

# Two trees of 1,000 folders with 20 files each: with every listing slowed,
# the comparison takes long enough for the progress window.
a="$work/仕事/プロジェクト"
b="$work/バックアップ/プロジェクト"
for top in "$a" "$b"; do
  for d in $(seq -w 1 1000); do
    mkdir -p "$top/資料_$d"
    (cd "$top/資料_$d" && touch -d '2024-03-04 16:20:00' $(seq -f 'file_%02g.txt' 1 20))
  done
done
printf '[DIR0]\r\nDIRA=%s\r\nDIRB=%s\r\nMASK=\r\nSUBDIRS=1\r\n\r\n' "$a" "$b" > "$work/zoruna.INI"

start_window_manager "$work"
wm=$wm_pid
mkdir -p "$(dirname "$out")"
(cd "$work" && HOME="$work" LANG="${ZORUNA_SHOT_LANG:-C.UTF-8}" LC_ALL= LANGUAGE= timeout 120 ./shot "$work/zoruna.INI" "$out")
echo "wrote $out"
