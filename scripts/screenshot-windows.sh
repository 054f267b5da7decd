#!/usr/bin/env bash
# Takes docs/windows-main-window.png, docs/windows-pair-list.png,
# docs/windows-copy-confirm.png, docs/windows-copy-progress.png and
# docs/windows-copy-summary.png: zoruna.exe under Wine, started with -d on two
# pairs with Japanese names, then its pair list, then a copy of a large file
# from its question to its summary, each cropped to its window.
#   scripts/screenshot-windows.sh [path/to/zoruna.exe] [output-dir]
# Needs wine, xvfb-run, openbox, xdotool, x11-utils and ImageMagick.
set -euo pipefail
. "$(dirname "$0")/screenshot-lib.sh"
. "$(dirname "$0")/wine-lib.sh"

root=$(cd "$(dirname "$0")/.." && pwd)
exe=$(realpath "${1:-$root/build-windows/zoruna.exe}")
outdir=$(realpath -m "${2:-$root/docs}")

on_virtual_display "$0" "$exe" "$outdir"
make_work_folder
start_wine
# The pairs on a drive D: of their own, so that their paths are short.
drive=$WINEPREFIX/dosdevices/d:
ln -sfn "$work" "$drive"
trap 'stop_wine; rm -f "$drive"; remove_work_folder' EXIT
start_window_manager "$work"
wm=$wm_pid

stamp() { touch -d "$1" "$2"; }
mkdir -p "$work/仕事/A/資料" "$work/仕事/B/資料" "$work/写真/A" "$work/写真/B"
stamp '2024-03-05 10:15:00' "$work/仕事/A/資料/報告書.txt"
stamp '2024-03-04 09:00:00' "$work/仕事/B/資料/報告書.txt"
stamp '2023-12-24 18:30:05' "$work/仕事/A/readme.md"
stamp '2024-02-01 07:07:07' "$work/仕事/B/設計メモ.doc"
stamp '2024-04-01 00:00:01' "$work/写真/A/旅行_001.jpg"
stamp '2024-04-02 11:11:11' "$work/写真/B/旅行_002.jpg"
# Large enough for the copy window to be up for a while.
head -c $((1536 * 1024 * 1024)) /dev/zero > "$work/写真/A/動画.mp4"
stamp '2024-05-05 05:05:05' "$work/写真/A/動画.mp4"
# UTF-8 with a byte-order mark: the Windows program reads such a file as UTF-8.
{
  printf '\xEF\xBB\xBF[SIZE]\r\nFNAME=170\r\nTIMEA=127\r\nTIMEB=127\r\n\r\n'
  printf '[DIR0]\r\nDIRA=D:\\仕事\\A\r\nDIRB=D:\\仕事\\B\r\nMASK=\r\nSUBDIRS=1\r\n\r\n'
  printf '[DIR1]\r\nDIRA=D:\\写真\\A\r\nDIRB=D:\\写真\\B\r\nMASK=\r\n\r\n'
} > "$work/zoruna.INI"

# The newest framed window whose title matches; empty after a bounded wait.
find_window() {
  local id found=""
  for _ in $(seq 150); do
    for id in $(xdotool search --onlyvisible --name "$1" 2>/dev/null || true); do
      if xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '='; then found=$id; fi
    done
    [ -n "$found" ] && break
    sleep 0.2
  done
  echo "$found"
}

# The window whose title matches $1, or the script ends naming it as $2.
expect_window() {
  local id
  id=$(find_window "$1")
  [ -n "$id" ] || { echo "no $2 appeared" >&2; return 1; }
  echo "$id"
}

# Crops the screen to window $1 with its frame into $2 (a small PNG).
shoot() {
  local x y w h l r t b
  read -r x y w h < <(xwininfo -id "$1" | awk '
    /Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}')
  read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  import -window root "$work/root.png"
  convert "$work/root.png" -crop "$((w + l + r))x$((h + t + b))+$((x - l))+$((y - t))" +repage -colors 128 "$2"
  echo "wrote $2"
}

# Clicks at a point of window $1 given in thousandths of its width and height.
click_at() {
  local x y w h
  xdotool windowactivate --sync "$1" 2>/dev/null || true
  read -r x y w h < <(xwininfo -id "$1" | awk '
    /Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}')
  xdotool mousemove $((x + w * $2 / 1000)) $((y + h * $3 / 1000)) click 1
}

mkdir -p "$outdir"
(cd "$work" && exec wine "$exe" -d) >/dev/null 2>&1 &
main=$(expect_window '^Zoruna - ' "Zoruna window")
sleep 2
shoot "$main" "$outdir/windows-main-window.png"

# The pair button: x 42-72, y 132-146 of the 235 x 153 dialog units.
click_at "$main" 243 908
list=$(expect_window '比較ﾃﾞｨﾚｸﾄﾘ一覧' "pair list")
sleep 1
shoot "$list" "$outdir/windows-pair-list.png"
xdotool windowactivate --sync "$list" 2>/dev/null || true
xdotool key Escape
sleep 1
main=$(find_window '^Zoruna - ')

# Every row, then "copy the selected files" from the list's menu, and OK.
click_at "$main" 300 200
xdotool key ctrl+a
sleep 0.5
xdotool key shift+F10
sleep 0.5
xdotool key c
confirm=$(expect_window 'ほんとにいいの' "copy question")
sleep 0.5
shoot "$confirm" "$outdir/windows-copy-confirm.png"
xdotool windowactivate --sync "$confirm" 2>/dev/null || true
xdotool key Return
progress=$(expect_window 'ｺﾋﾟｰ中' "copy window")
sleep 0.5
shoot "$progress" "$outdir/windows-copy-progress.png"

# The summary once the copy is done: the large file takes a while under
# Wine, so up to twice the usual wait.
summary=$(find_window 'ｺﾋﾟｰ結果')
[ -n "$summary" ] || summary=$(expect_window 'ｺﾋﾟｰ結果' "copy summary")
sleep 0.5
shoot "$summary" "$outdir/windows-copy-summary.png"
