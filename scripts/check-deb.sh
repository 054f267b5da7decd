#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian (no errors, no warnings),
# installs it on this machine with dpkg -i, checks that the installed zoruna
# runs from PATH (and its man page, copyright file and menu entry are in
# place), then removes the package again. Runs as root or through sudo.
# Usage: scripts/check-deb.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

sudo=()
if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi

if dpkg-query -W -f='${Status}' zoruna 2>/dev/null | grep -q 'install ok installed'; then
    echo "zoruna is installed already; this check would replace and remove it. Remove it first." >&2
    exit 1
fi

make deb BUILD_DIR="$build"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb=$build/zoruna_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { echo "no package $deb" >&2; exit 1; }

echo "== $deb"
dpkg-deb --field "$deb" Package Version Section Depends
command -v lintian >/dev/null || { echo "no lintian (scripts/install-deps.sh installs it)" >&2; exit 1; }
echo "== lintian"
if ! lintian --fail-on error,warning --display-info "$deb"; then
    echo "FAIL lintian found errors or warnings in $deb" >&2
    exit 1
fi
echo "ok   lintian: no errors or warnings"
"${sudo[@]}" dpkg -i "$deb"
removed=0
remove() { [ $removed = 1 ] || "${sudo[@]}" dpkg -r zoruna >/dev/null; }
trap remove EXIT

failures=0
check() {  # description, command...
    local what=$1; shift
    if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
work=$(mktemp -d)
trap 'remove; rm -rf "$work"' EXIT

check "zoruna on PATH is /usr/bin/zoruna" test "$(command -v zoruna)" = /usr/bin/zoruna
out=$(cd "$work" && HOME=$work zoruna --version)
echo "zoruna --version: $out"
check "--version prints the package version" test "$out" = "Zoruna Version $version"
check "man finds the page" test "$(man -w zoruna)" = /usr/share/man/man1/zoruna.1.gz
check "man page compressed" gzip -t /usr/share/man/man1/zoruna.1.gz
check "man shows the page without warnings" test -z "$(MANWIDTH=80 man --warnings zoruna 2>&1 >/dev/null)"
check "copyright file installed" grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    /usr/share/doc/zoruna/copyright
check "changelog installed" gzip -t /usr/share/doc/zoruna/changelog.gz
check "menu entry installed" test -f /usr/share/applications/zoruna.desktop
check "menu launcher installed" test -x /usr/libexec/zoruna/zoruna-launcher
# The menu's command opens the window: still running after five seconds on a
# virtual display, in the settings folder the launcher created.
status=0
(cd / && env -u XDG_CONFIG_HOME HOME="$work" xvfb-run -a timeout 5 /usr/libexec/zoruna/zoruna-launcher) || status=$?
check "the menu's launcher starts the window (status $status, 124: ended by timeout)" test "$status" = 124
check "settings folder created" test -d "$work/.config/zoruna"

"${sudo[@]}" dpkg -r zoruna
removed=1
check "removed again" test ! -e /usr/bin/zoruna
[ $failures -eq 0 ] && echo "package check passed" || { echo "$failures check(s) failed"; exit 1; }
