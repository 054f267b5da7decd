#!/usr/bin/env bash
# Builds the window-free tests for Windows and runs them under Wine:
#   bash scripts/windows-tests.sh [build folder] [ctest arguments...]
# Wine runs as a user that is not root (Wine lets root write read-only
# files, so the copy's protections would not be tested): run as root, the
# script makes the user zoruna-wine once and runs the tests as that user.
# The Wine prefix is that user's own, made once and kept.
set -euo pipefail

cd "$(dirname "$0")/.."
build=${1:-build-windows-tests}
[ $# -gt 0 ] && shift
jobs=${JOBS:-$(nproc)}

# The Wine user reads the sources (the texts' tests do) and writes the build
# folder. Run as root from a folder that user cannot reach (a clone under
# /root), the tracked sources are mirrored into a folder it can reach, and
# the tests are built and run there.
if [ "$(id -u)" -eq 0 ]; then
  reachable=yes
  dir=$PWD
  while [ "$dir" != / ]; do
    [ "$(stat -c %A "$dir" | cut -c10)" = x ] || [ "$(stat -c %A "$dir" | cut -c10)" = t ] || reachable=no
    dir=$(dirname "$dir")
  done
  if [ "$reachable" = no ]; then
    stage=${ZORUNA_WINE_STAGE:-/var/tmp/zoruna-windows-tests}
    echo "$PWD is closed to other users: building the Windows tests from a copy in $stage/src"
    rm -rf "$stage/src"
    mkdir -p "$stage/src"
    chmod 755 "$stage" "$stage/src"
    git ls-files -z --cached --others --exclude-standard | tar --null -T - -cf - | tar -xf - -C "$stage/src"
    case $build in /*) ;; *) build=$stage/$(basename "$build") ;; esac
    cd "$stage/src"
  fi
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DZORUNA_WITH_GUI=OFF -DZORUNA_BENCH=OFF \
    $(command -v ccache >/dev/null 2>&1 && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake --build "$build" -j "$jobs" --target zoruna_core_tests zoruna_texts_tests

# as_user <command...>: the command as the Wine user, with that user's Wine.
wine_user=$(id -un)
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  wine_user=zoruna-wine
  id "$wine_user" >/dev/null 2>&1 || useradd --create-home --shell /usr/sbin/nologin "$wine_user"
  # ctest writes its logs and the test lists into the build folder.
  chown -R "$wine_user" "$build"
  as_user=(setpriv --reuid="$wine_user" --regid="$wine_user" --init-groups --reset-env --)
fi
home=$(getent passwd "$wine_user" | cut -d: -f6)
# A UTF-8 locale: Wine turns Windows names into Unix ones in its code set.
env_vars=(env HOME="$home" USER="$wine_user" PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8
          WINEPREFIX="$home/.wine-zoruna" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=")
run() { "${as_user[@]}" "${env_vars[@]}" "$@"; }

# The Wine user reads the sources (the texts' tests do) and writes the build folder.
if ! run test -r "$PWD/CMakeLists.txt" -a -w "$build"; then
  echo "$wine_user cannot reach $PWD: the folders above the clone must let others in (chmod o+x)" >&2
  exit 1
fi

# The prefix once. A lasting wineserver, its output on /dev/null: its helper
# processes inherit stdout and stderr and would keep ctest's pipes open.
if [ ! -f "$home/.wine-zoruna/system.reg" ]; then
  run wineboot -i >/dev/null 2>&1 || true
fi
run wineserver -p >/dev/null 2>&1 </dev/null || true  # 2: one runs already
trap 'run wineserver -k >/dev/null 2>&1 || true' EXIT
# Wine's own services start with the first program; started here, they too
# write to /dev/null instead of holding on to the pipe of a test listing.
run wineboot >/dev/null 2>&1 </dev/null || true

cd "$build"
run ctest --output-on-failure -j "$jobs" "$@"
