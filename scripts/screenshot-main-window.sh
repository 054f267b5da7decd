#!/usr/bin/env bash
# Takes docs/main-window.png: Zoruna started with -d on two directory pairs
# that differ (Japanese file names included; the first compares subfolders), on a virtual display with a
# window manager so that the title bar shows, grown beyond its least size,
# with a row clicked (the status line) and the mouse resting on another (its
# tooltip), cropped to the window.
#   scripts/screenshot-main-window.sh [path/to/zoruna] [output.png]
# GTK_THEME (Adwaita:dark, say) and GDK_SCALE (2) are passed on to Zoruna;
# the window, the clicks and the screen are scaled by GDK_SCALE.
# Needs xvfb-run, openbox, x11-utils (xwininfo, xprop), xdotool and ImageMagick.
set -euo pipefail
. "$(dirname "$0")/screenshot-lib.sh"

exe=$(realpath "${1:-build/zoruna}")
out=$(realpath -m "${2:-docs/main-window.png}")

if [ -z "${ZORUNA_SHOT_DISPLAY:-}" ]; then
  scale=${GDK_SCALE:-1}
  exec xvfb-run -a -s "-screen 0 $((1024 * scale))x$((768 * scale))x24" env ZORUNA_SHOT_DISPLAY=1 "$0" "$exe" "$out"
fi

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Two pairs: every kind of row, with fixed dates so the picture is stable.
# The first compares its subfolders too, so its rows show relative paths.
mkdir -p "$work/仕事/A/資料/2024" "$work/仕事/B/資料/2024" "$work/仕事/A/src" "$work/仕事/B/src" \
  "$work/仕事/B/設計" "$work/写真/A" "$work/写真/B"
stamp() { touch -d "$1" "$2"; }
stamp '2024-03-05 10:15:00' "$work/仕事/A/資料/2024/報告書.txt"
stamp '2024-03-04 09:00:00' "$work/仕事/B/資料/2024/報告書.txt"
stamp '2023-12-24 18:30:05' "$work/仕事/A/readme.md"
stamp '2024-01-10 08:00:00' "$work/仕事/A/src/main.cpp"
stamp '2024-02-11 12:34:56' "$work/仕事/B/src/main.cpp"
stamp '2024-02-01 07:07:07' "$work/仕事/B/設計/設計メモ.doc"
stamp '2024-04-01 00:00:01' "$work/写真/A/旅行_001.jpg"
stamp '2024-04-02 11:11:11' "$work/写真/B/旅行_002.jpg"
stamp '2024-05-07 09:30:00' "$work/写真/A/報告書_第3四半期.txt"
stamp '2022-06-15 16:45:00' "$work/写真/A/notes.txt"
stamp '2022-06-16 16:45:00' "$work/写真/B/notes.txt"
{
  printf '[DIR0]\r\nDIRA=%s\r\nDIRB=%s\r\nMASK=\r\nSUBDIRS=1\r\n\r\n' "$work/仕事/A" "$work/仕事/B"
  printf '[DIR1]\r\nDIRA=%s\r\nDIRB=%s\r\nMASK=\r\n\r\n' "$work/写真/A" "$work/写真/B"
} > "$work/zoruna.INI"

start_window_manager "$work"
pids+=("$wm_pid")
(cd "$work" && HOME="$work" LC_ALL=C.UTF-8 exec "$exe" -d) >/dev/null 2>&1 &
pids+=($!)

# Bounded wait for the window to be framed. After -d the title carries the
# row count: "Zoruna - <n> 件".
win=$(framed_window '^Zoruna')
sleep 1

# Larger, then a click on the third row and the mouse on the seventh; the list
# starts 7 dialog units (about 12 pixels) in, rows are about 19 pixels high
# below a header of about 26 (at GDK_SCALE=1).
s=${GDK_SCALE:-1}
xdotool windowsize "$win" $((760 * s)) $((440 * s))
sleep 1
read -r wx wy < <(xwininfo -id "$win" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}')
xdotool mousemove $((wx + 60 * s)) $((wy + (12 + 26 + 2 * 19 + 9) * s)) click 1
# Away from the window, so that no tooltip of the clicked row stays up.
xdotool mousemove $((wx + 900 * s)) $((wy + 500 * s))
sleep 1
xdotool mousemove $((wx + 300 * s)) $((wy + (12 + 26 + 6 * 19 + 9) * s))
sleep 0.3
xdotool mousemove $((wx + 302 * s)) $((wy + (12 + 26 + 6 * 19 + 10) * s))
sleep 2

read -r x y w h < <(xwininfo -id "$win" | awk '
  /Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
  /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}')
read -r l r t b < <(xprop -id "$win" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
import -window root "$work/root.png"
convert "$work/root.png" -crop "$((w + l + r))x$((h + t + b))+$((x - l))+$((y - t))" +repage "$out"
echo "wrote $out"
