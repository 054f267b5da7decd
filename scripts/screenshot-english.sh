#!/usr/bin/env bash
# Takes the pictures of the English window, docs/english/*.png, by going
# through the whole flow with the keyboard under LANG=en_US.UTF-8: the pair
# list, a new pair with its masks, the comparison, the copy confirmation, the
# copy's failure message (a read-only file in B), the About box and a message
# box; and the progress windows through screenshot-copy-progress.sh and
# screenshot-compare-progress.sh. The zoruna of a build folder finds the English
# catalog in that folder (locale/).
#   scripts/screenshot-english.sh [build-dir] [output-dir]
# Needs xvfb-run, openbox, x11-utils (xwininfo, xprop), xdotool and ImageMagick.
set -euo pipefail
. "$(dirname "$0")/screenshot-lib.sh"

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
outdir=$(realpath -m "${2:-$root/docs/english}")

on_virtual_display "$0" "$build" "$outdir"
make_work_folder
mkdir -p "$outdir"

# One registered pair (the new one is added in the pair input), with every
# kind of row; the copy of reports.txt into B fails on its read-only file.
a="$work/work/A"
b="$work/backup/A"
mkdir -p "$a/docs" "$b/docs" "$work/photos/A" "$work/photos/B"
stamp() { touch -d "$1" "$2"; }
head -c 300000 /dev/zero > "$a/meeting.pptx"
stamp '2024-03-04 16:20:00' "$a/meeting.pptx"
printf 'new' > "$a/reports.txt"
stamp '2024-03-05 10:15:00' "$a/reports.txt"
printf 'old' > "$b/reports.txt"
stamp '2024-03-01 09:00:00' "$b/reports.txt"
chmod 0444 "$b/reports.txt"
stamp '2024-02-11 12:34:56' "$b/notes.md"
stamp '2024-01-10 08:00:00' "$a/docs/plan.doc"
stamp '2024-01-12 08:00:00' "$b/docs/plan.doc"
stamp '2024-04-01 00:00:01' "$work/photos/A/trip_001.jpg"
stamp '2024-04-02 11:11:11' "$work/photos/B/trip_001.obj"
{
  printf '[SIZE]\r\nFNAME=170\r\nTIMEA=127\r\nTIMEB=127\r\n\r\n'
  printf '[DIR0]\r\nDIRA=%s\r\nDIRB=%s\r\nMASK=\r\nSUBDIRS=1\r\n\r\n' "$a" "$b"
} > "$work/zoruna.INI"

start_window_manager "$work"
wm=$wm_pid
(cd "$work" && HOME="$work" LANG=en_US.UTF-8 LC_ALL= LANGUAGE= exec "$build/zoruna") >/dev/null 2>&1 &
app=$!

# shot <name> <window...>: the screen cropped to the frames of the windows.
shot() {
  local name=$1 id x y w h l r t b box=""
  shift
  sleep 0.7
  for id in "$@"; do
    read -r x y w h < <(xwininfo -id "$id" | awk '
      /Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
      /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}')
    read -r l r t b < <(xprop -id "$id" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    box="$box $((x - l)) $((y - t)) $((x + w + r)) $((y + h + b))"
  done
  read -r x0 y0 x1 y1 < <(echo "$box" | awk '{x0=$1; y0=$2; x1=$3; y1=$4
    for (i = 5; i <= NF; i += 4) { if ($i < x0) x0=$i; if ($(i+1) < y0) y0=$(i+1)
      if ($(i+2) > x1) x1=$(i+2); if ($(i+3) > y1) y1=$(i+3) }
    print x0, y0, x1, y1}')
  import -window root "$work/root.png"
  convert "$work/root.png" -crop "$((x1 - x0))x$((y1 - y0))+$x0+$y0" +repage -colors 128 "$outdir/$name.png"
  echo "wrote $outdir/$name.png"
}
keys() { xdotool key --delay 80 "$@"; sleep 0.3; }

main=$(framed_window '^Zoruna$')
xdotool windowsize "$main" 640 400
xdotool windowactivate --sync "$main" 2>/dev/null || true

# The pair list, and a new pair through Register (nothing selected).
keys alt+p
list=$(framed_window 'Directory Pairs')
keys alt+r
input=$(framed_window 'Zoruna \[Directories\]')
xdotool type --delay 20 "$work/photos/A"
keys Tab
xdotool type --delay 20 "$work/photos/B"
keys alt+s
shot pair-input "$input"
keys alt+m
mask=$(framed_window 'Zoruna \[Masks\]')
xdotool type --delay 20 ".obj,.tmp"
shot mask "$mask"
keys Return
keys Return
shot pair-list "$list"
keys alt+c

# A message box: the Secret button.
keys alt+s
sleep 1
box=""
for id in $(xdotool search --name '^Zoruna$'); do [ "$id" != "$main" ] && box=$id; done
shot message-box "$box"
keys Return

# The comparison, every row selected, the copy from the list's menu.
xdotool windowactivate --sync "$main" 2>/dev/null || true
keys F5
sleep 1
# A click on the first row (the list starts 7 dialog units, about 12 pixels,
# in; its header is about 25 high) gives the list the keyboard.
click_first_row() {
  local mx my
  read -r mx my < <(xwininfo -id "$main" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}')
  xdotool mousemove $((mx + 60)) $((my + 12 + 25 + 10)) click 1
  xdotool mousemove $((mx + 900)) $((my + 600))
  sleep 0.3
}
click_first_row
keys ctrl+a
shot main-window "$main"
keys shift+F10
sleep 0.5
shot results-menu "$main"
keys c
confirm=$(framed_window 'Are You Sure')
shot confirm-copy "$confirm"
keys Return
# The copy stops at its failure message for the read-only reports.txt, in
# front of the progress window (which screenshot-copy-progress.sh takes alone).
progress=$(framed_window 'Zoruna \[Copying\]')
sleep 1
failure=""
for id in $(xdotool search --name '^Zoruna$'); do [ "$id" != "$main" ] && failure=$id; done
shot copy-failure "$progress" ${failure:+"$failure"}
keys Return
# Every copy ends with its summary (screenshot-copy-progress.sh takes it).
framed_window 'Zoruna \[Copy Results\]' >/dev/null
keys Return
sleep 1

# The About box from the end of the list's menu.
click_first_row
keys shift+F10
sleep 0.5
keys b
about=$(framed_window 'Zoruna \[About\]')
shot about "$about"
keys Return
keys alt+q
wait "$app" || true

ZORUNA_SHOT_LANG=en_US.UTF-8 bash "$root/scripts/screenshot-copy-progress.sh" "$build" "$outdir"
ZORUNA_SHOT_LANG=en_US.UTF-8 bash "$root/scripts/screenshot-compare-progress.sh" "$build" "$outdir/compare-progress.png"
