#!/usr/bin/env bash
# Takes the pictures of a copy in docs/: the confirmation with what will be
# copied (copy-confirm.png), the progress window in the middle of a slowed
# copy (copy-progress.png), the first failure box (copy-failure.png) and the
# summary with the failures (copy-summary.png), on a virtual display with a
# window manager.
#   scripts/screenshot-copy-progress.sh [build-dir] [output-folder]
# ZORUNA_SHOT_LANG=en_US.UTF-8 takes them in English (default C.UTF-8, Japanese).
# The build directory must hold the libzoruna_*.a of every layer (build the
# zoruna target first). Needs xvfb-run, openbox, wx-config and ImageMagick.
set -euo pipefail
. "$(dirname "$0")/screenshot-lib.sh"

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
out=$(realpath -m "${2:-$root/docs}")

on_virtual_display "$0" "$build" "$out"
make_work_folder

build_shot_program "$root/scripts/copy-progress-shot.cpp" "$build" "$work/shot"
# The program looks for its catalogs beside itself, as zoruna does.
ln -s "$build/locale" "$work/locale"

# Two large files to copy from A, slowly; one newer in B and one only in B,
# which go back into A. Three copies fail: the one in B of the budget is
# read-only, the shot program refuses to read "社外秘..." and has no room in
# B's "満杯".
a="$work/仕事/総務部_共有フォルダ/2024年度_社内研修資料"
b="$work/バックアップ/ファイルサーバー_総務部_共有フォルダ/2024年度_社内研修資料"
mkdir -p "$a/満杯" "$b/満杯"
head -c 150000000 /dev/zero > "$a/研修動画_第3回_新入社員向け_情報セキュリティ講習_録画.mp4"
head -c 30000000 /dev/zero > "$a/会議資料.pptx"
head -c 100000 /dev/zero > "$a/2024年度_予算案.xlsx"
head -c 20000 /dev/zero > "$a/社外秘_人事評価.xlsx"
head -c 500000 /dev/zero > "$a/満杯/アーカイブ.zip"
touch -d '2024-03-05 10:15:00' "$a"/*.* "$a/満杯/アーカイブ.zip"
printf 'old' > "$b/2024年度_予算案.xlsx"
printf 'old' > "$a/議事録.docx"
touch -d '2024-03-01 09:00:00' "$b/2024年度_予算案.xlsx" "$a/議事録.docx"
chmod 0444 "$b/2024年度_予算案.xlsx"
head -c 40000 /dev/zero > "$b/議事録.docx"
head -c 3000 /dev/zero > "$b/B側だけのメモ.txt"
touch -d '2024-03-06 11:00:00' "$b/議事録.docx" "$b/B側だけのメモ.txt"
printf '[DIR0]\r\nDIRA=%s\r\nDIRB=%s\r\nMASK=\r\nSUBDIRS=1\r\n\r\n' "$a" "$b" > "$work/zoruna.INI"

start_window_manager "$work"
wm=$wm_pid
mkdir -p "$out"
(cd "$work" && HOME="$work" LANG="${ZORUNA_SHOT_LANG:-C.UTF-8}" LC_ALL= LANGUAGE= timeout 120 ./shot "$work/zoruna.INI" "$out/copy-confirm.png" \
  "$out/copy-progress.png" "$out/copy-failure.png" "$out/copy-summary.png")
for shot in confirm progress failure summary; do
  convert "$out/copy-$shot.png" -colors 64 "$out/copy-$shot.png"
  echo "wrote $out/copy-$shot.png"
done
