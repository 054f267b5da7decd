# Shared by the screenshot scripts (sourced, not run).

# Starts openbox on the current display with only a close button in title
# bars (the dialogs have neither a minimise nor a maximise box). Its process
# id is left in wm_pid.
start_window_manager() {
  local dir=$1
  cat > "$dir/rc.xml" <<'XML'
<?xml version="1.0"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <theme><titleLayout>NLC</titleLayout></theme>
</openbox_config>
XML
  openbox --config-file "$dir/rc.xml" >/dev/null 2>&1 &
  wm_pid=$!
}

# Builds a screenshot program against a build folder's libraries.
#   build_shot_program source.cpp build-dir output
build_shot_program() {
  local root
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  # shellcheck disable=SC2046
  local layer libs=()
  for layer in app dialogs ui res cli texts settings core; do
    [ -f "$2/libzoruna_$layer.a" ] && libs+=("$2/libzoruna_$layer.a")
  done
  c++ -std=c++20 -O1 -I"$root" -I"$2/generated" "$1" -o "$3" \
    "${libs[@]}" $(wx-config --cxxflags --libs net,core,base) \
    $(pkg-config --cflags --libs gtk+-3.0)
}

# Runs the calling script again on a virtual display, unless it runs on one
# already (xvfb-run exports nothing that tells).
#   on_virtual_display "$0" "$@"
on_virtual_display() {
  if [ -z "${ZORUNA_SHOT_DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" env ZORUNA_SHOT_DISPLAY=1 "$@"
  fi
}

# A fresh folder in $work, removed at exit together with the window manager
# whose process id is put in $wm once it runs.
make_work_folder() {
  work=$(mktemp -d)
  wm=""
  trap remove_work_folder EXIT
}
remove_work_folder() {
  [ -n "$wm" ] && kill "$wm" 2>/dev/null || true
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}

# The framed window whose title matches, after a bounded wait.
framed_window() {
  local id
  for _ in $(seq 100); do
    for id in $(xdotool search --name "$1" 2>/dev/null || true); do
      if xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '='; then echo "$id"; return; fi
    done
    sleep 0.1
  done
  echo "no window \"$1\" appeared" >&2
  exit 1
}
