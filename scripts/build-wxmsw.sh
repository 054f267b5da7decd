#!/usr/bin/env bash
# Builds wxMSW 3.2 (static, unicode, only what Zoruna uses) with mingw-w64 from
# Debian's wxwidgets3.2 source package, and installs it under a cache folder
# outside the work tree. Prints the folder it installed into (its wx-config is
# <folder>/bin/wx-config) on stdout, and nothing else there.
#
# The folder's name is a key made of the source version, the configure line
# and the compiler version, so a later run with the same key does nothing,
# and a change of any of them builds a new one next to the old one.
#
# Debian's tarball comes without the bundled libpng, libjpeg, libtiff and
# expat: zlib comes from libz-mingw-w64-dev, PNG is left out (the Windows
# program takes its icons from its own .ico resources), and so is everything
# that needs expat (XRC, rich text, wxXmlDocument).
#
# Environment: ZORUNA_CACHE (default ${XDG_CACHE_HOME:-$HOME/.cache}/zoruna),
# WX_JOBS (default 2: the machine is shared), NICE (default 10).
set -euo pipefail

triplet=x86_64-w64-mingw32
cache=${ZORUNA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zoruna}
jobs=${WX_JOBS:-2}
niceness=${NICE:-10}
cc=$triplet-gcc-posix
cxx=$triplet-g++-posix

configure_options=(
  --host=$triplet --build="$(gcc -dumpmachine)"
  --with-msw --disable-shared --enable-unicode --disable-debug_info
  --with-zlib=sys --without-libpng --without-libjpeg --without-libtiff
  --without-expat --without-liblzma --without-libcurl --without-opengl
  --without-regex --without-nanosvg
  --disable-html --disable-xrc --disable-aui --disable-stc --disable-webview
  --disable-mediactrl --disable-propgrid --disable-ribbon --disable-richtext
  --disable-svg --disable-webrequest --disable-tests
  --disable-precomp-headers
)

# apt-get source needs a deb-src line for the suites this machine installs from.
ensure_deb_src() {
  if apt-cache showsrc wxwidgets3.2 2>/dev/null | grep -q '^Version:'; then return; fi
  local list=/etc/apt/sources.list.d/zoruna-deb-src.sources
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  echo "Adding $list so that apt-get source finds wxwidgets3.2" >&2
  # The deb entries of Debian's own sources, as deb-src entries.
  sed -n '/^Types:/,/^$/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null |
    sed 's/^Types: .*/Types: deb-src/' | "${sudo[@]}" tee "$list" >/dev/null
  if ! grep -q '^Types: deb-src' "$list"; then
    local codename
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s %s-updates\nComponents: main\n' \
      "$codename" "$codename" | "${sudo[@]}" tee "$list" >/dev/null
  fi
  "${sudo[@]}" apt-get update -qq >&2
}

ensure_deb_src
version=$(apt-cache showsrc wxwidgets3.2 | sed -n 's/^Version: //p' | sort -V | tail -1)
compiler=$($cxx --version | head -1)
key=$(printf '%s\n' "$version" "${configure_options[*]}" "$compiler" | sha256sum | cut -c1-12)
prefix=$cache/wxmsw-$key

if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

work=$cache/wxmsw-build-$key
rm -rf "$work" "$prefix"
mkdir -p "$work"
cd "$work"
trap 'echo "building wxMSW failed: see the logs in $work/build" >&2' ERR
echo "Building wxMSW $version into $prefix (about 11 minutes of CPU, once)" >&2
apt-get source --download-only "wxwidgets3.2=$version" >&2
dpkg-source --no-check -x wxwidgets3.2_*.dsc src >/dev/null
mkdir build
cd build
nice -n "$niceness" ../src/configure --prefix="$prefix" CC="$cc" CXX="$cxx" \
  "${configure_options[@]}" >configure.log
nice -n "$niceness" make -j"$jobs" >make.log
make install >install.log
printf 'wxwidgets3.2 %s\n%s\n%s\n' "$version" "${configure_options[*]}" "$compiler" >"$prefix/.complete"
cd /
rm -rf "$work"
echo "$prefix"
