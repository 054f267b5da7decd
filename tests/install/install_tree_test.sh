#!/usr/bin/env bash
# Installs a build into a temporary DESTDIR and checks the installed tree:
# every file in place, the desktop entry, AppStream data and man page accepted
# by their validators, and the menu's launcher starting the program in the
# per-user settings folder.
# Usage: install_tree_test.sh <build dir> <AppStream component id>
set -uo pipefail
build=$1
appid=$2
prefix=/usr

for tool in desktop-file-validate appstreamcli man; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"
        exit 77
    fi
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
root=$tmp/root
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! DESTDIR=$root cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
    cat "$tmp/install.log"
    echo "FAIL: cmake --install"
    exit 1
fi
tree=$root$prefix

# path  kind (x: executable, f: file, png<N>: N x N PNG image)
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:[A-Z]*=//p' "$build/CMakeCache.txt")
expected=(
    "bin/zoruna x"
    "${libdir:-lib}/zoruna/zoruna-gui.so f"
    "libexec/zoruna/zoruna-launcher x"
    "share/applications/zoruna.desktop f"
    "share/metainfo/$appid.metainfo.xml f"
    "share/man/man1/zoruna.1 f"
    "share/man/ja/man1/zoruna.1 f"
    "share/icons/hicolor/scalable/apps/zoruna.svg f"
    "share/locale/en/LC_MESSAGES/zoruna.mo f"
)
for size in 16 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/zoruna.png png$size")
done

# Width and height from a PNG's header chunk.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'; }

for entry in "${expected[@]}"; do
    read -r path kind <<<"$entry"
    file=$tree/$path
    if [ ! -f "$file" ]; then fail "$path is missing"; continue; fi
    case $kind in
        x) [ -x "$file" ] || fail "$path is not executable" ;;
        png*) n=${kind#png}
              [ "$(png_size "$file")" = "${n}x${n}" ] || fail "$path is $(png_size "$file"), not ${n}x${n}" ;;
    esac
done

# Nothing installed that the list above does not name.
extra=$(cd "$tree" && find . -type f | sed 's|^\./||' | sort | while read -r f; do
    found=0
    for entry in "${expected[@]}"; do [ "${entry%% *}" = "$f" ] && found=1; done
    [ $found = 1 ] || echo "$f"
done)
[ -z "$extra" ] || fail "unexpected files: $extra"

desktop=$tree/share/applications/zoruna.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$tree/share/metainfo/$appid.metainfo.xml" || fail "appstreamcli validate"
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree"

for page in man/man1 man/ja/man1; do
    warnings=$(MANWIDTH=80 man --warnings -l "$tree/share/$page/zoruna.1" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man -l $page/zoruna.1 warns: $warnings"
done

# The entry starts the installed launcher, which lives under the real prefix.
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[ "$exec_line" = "$prefix/libexec/zoruna/zoruna-launcher" ] || fail "Exec=$exec_line"

# The launcher: which settings folder for which environment; it is created
# and the program runs in it (--pairs reads zoruna.INI from there).
launcher=$tree/libexec/zoruna/zoruna-launcher
home=$tmp/home
mkdir -p "$home"
cases=(
    "xdg_set|$tmp/xdg|$tmp/xdg/zoruna"
    "xdg_unset||$home/.config/zoruna"
    "xdg_relative|relative/config|$home/.config/zoruna"
)
for c in "${cases[@]}"; do
    IFS='|' read -r name xdg folder <<<"$c"
    rm -rf "$home/.config" "$tmp/xdg"
    out=$(cd "$tmp" && env -u XDG_CONFIG_HOME HOME="$home" ${xdg:+XDG_CONFIG_HOME=$xdg} "$launcher" --version 2>&1)
    [ -d "$folder" ] || { fail "$name: $folder was not created"; continue; }
    case $out in "Zoruna Version "*) ;; *) fail "$name: --version printed: $out" ;; esac
    printf '[DIR0]\r\nDIRA=/from/%s/a\r\nDIRB=/b\r\nMASK=\r\n\r\n' "$name" >"$folder/zoruna.INI"
    out=$(cd "$tmp" && env -u XDG_CONFIG_HOME HOME="$home" ${xdg:+XDG_CONFIG_HOME=$xdg} "$launcher" --pairs 2>&1)
    [ "$out" = "$(printf '1\t/from/%s/a\t/b\t\t' "$name")" ] || fail "$name: --pairs printed: $out"
done
[ ! -e "$tmp/relative" ] || fail "a relative XDG_CONFIG_HOME was used"

# The installed program finds its catalog in ../share/locale: a listing
# failure comes in English under an English locale, in Japanese under C.
printf '[DIR0]\r\nDIRA=%s\r\nDIRB=%s\r\nMASK=\r\n\r\n' "$tmp/missing" "$home" >"$tmp/zoruna.INI"
for c in "en_US.UTF-8|The directory" "C|$(printf '\357\276\203')"; do
    IFS='|' read -r lang start <<<"$c"
    out=$(cd "$tmp" && env -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG="$lang" "$tree/bin/zoruna" --report 2>&1)
    case $out in "$start"*) ;; *) fail "LANG=$lang: --report printed: $out" ;; esac
done

if [ $failures -ne 0 ]; then
    echo "$failures check(s) failed; installed tree:"
    (cd "$root" && find . | sort)
    exit 1
fi
echo "installed tree complete and valid"
