#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Zoruna need.
# With the argument "windows", also those of the Windows build and its tests
# (cross-compiler, Wine, installer maker).
# Only missing packages are installed; works as root, uses sudo otherwise.
# Without either it lists what is missing, prints the command to run as root
# and fails.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libwxgtk3.2-dev libgtk-3-dev libx11-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  xvfb xauth x11-apps x11-utils imagemagick openbox xdotool
  fonts-ipafont-gothic
  librsvg2-bin scdoc
  desktop-file-utils appstream man-db dpkg-dev file lintian
  fusefat dosfstools btrfs-progs
  gettext
  python3-pyatspi at-spi2-core dbus-daemon
)
if [ "${1:-}" = windows ]; then
  packages+=(
    g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
    wine wine64 nsis zip
  )
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  # sudo -l <command> succeeds only where this user may run apt-get through
  # sudo (it asks for the password where sudo wants one).
  if ! command -v sudo >/dev/null 2>&1 || ! sudo -l apt-get >/dev/null 2>&1; then
    why="sudo is not installed"
    command -v sudo >/dev/null 2>&1 && why="sudo does not let $(id -un) run apt-get"
    cat >&2 <<EOF
These Debian packages are missing: ${missing[*]}
Installing them needs root, and $why.
Run this as root (su asks for the root password), then run make again:

  su -c 'apt-get update && apt-get install -y --no-install-recommends ${missing[*]}'

EOF
    exit 1
  fi
  sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
