#!/usr/bin/env bash
# Takes docs/copy-progress.png: the progress window over the main window in
# the middle of a copy (a read-only file in B stops it at a failure message,
# which is not shown), on a virtual display with a window manager.
#   scripts/screenshot-copy-progress.sh [build-dir] [output.png]
# ZORUNA_SHOT_LANG=en_US.UTF-8 takes it in English (default C.UTF-8, Japanese).
# The build directory must hold the libzoruna_*.a of every layer (build the
# zoruna target first). Needs xvfb-run, openbox, wx-config and ImageMagick.
set -euo pipefail
. "$(dirname "$0")/screenshot-lib.sh"

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
out=$(realpath -m "${2:-$root/docs/copy-progress.png}")

on_virtual_display "$0" "$build" "$out"
make_work_folder

build_shot_program "$root/scripts/copy-progress-shot.cpp" "$build" "$work/shot"
# The program looks for its catalogs beside itself, as zoruna does.
ln -s "$build/locale" "$work/locale"

# Files only in A or newer there; the copy in B of one of them is read-only, so that copy
# fails and the picture is taken while its lines show.
a="$work/仕事/報告書"
b="$work/バックアップ/報告書"
mkdir -p "$a" "$b"
head -c 300000 /dev/zero > "$a/会議資料.pptx"
head -c 200000 /dev/zero > "$a/議事録.docx"
touch -d '2024-03-04 16:20:00' "$a/会議資料.pptx" "$a/議事録.docx"
head -c 100000 /dev/zero > "$a/2024年度_予算案.xlsx"
printf 'old' > "$b/2024年度_予算案.xlsx"
touch -d '2024-03-01 09:00:00' "$b/2024年度_予算案.xlsx"
chmod 0444 "$b/2024年度_予算案.xlsx"
touch -d '2024-03-05 10:15:00' "$a/2024年度_予算案.xlsx"
printf '[DIR0]\r\nDIRA=%s\r\nDIRB=%s\r\nMASK=\r\n\r\n' "$a" "$b" > "$work/zoruna.INI"

start_window_manager "$work"
wm=$wm_pid
mkdir -p "$(dirname "$out")"
(cd "$work" && HOME="$work" LANG="${ZORUNA_SHOT_LANG:-C.UTF-8}" LC_ALL= LANGUAGE= timeout 60 ./shot "$work/zoruna.INI" "$out")
echo "wrote $out"
