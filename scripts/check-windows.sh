#!/usr/bin/env bash
# Installs the Windows installer silently under Wine and checks the result:
# the program in Program Files, the Start-menu entry, the uninstaller and
# its Uninstall key; the installed program's --version, and its --report of
# a real pair against the Linux build's (same lines); then uninstalls and
# checks that everything is gone.
#   scripts/check-windows.sh [build-windows] [linux build folder]
# Needs wine, xvfb-run and xdotool (make windows and make deps install them).
set -euo pipefail
. "$(dirname "$0")/screenshot-lib.sh"
. "$(dirname "$0")/wine-lib.sh"

root=$(cd "$(dirname "$0")/.." && pwd)
wbuild=$(realpath "${1:-$root/build-windows}")
lbuild=$(realpath "${2:-$root/build}")
on_virtual_display "$0" "$wbuild" "$lbuild"

setup=$(ls "$wbuild"/zoruna-*-windows-x64-setup.exe)
version=$(sed -n 's/^project(zoruna VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
make_work_folder
start_wine
trap 'stop_wine; remove_work_folder' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zoruna'
drive_c=$WINEPREFIX/drive_c
installed="$drive_c/Program Files/Zoruna"
appdata=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
menu_entry=$(wine winepath -u "$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Zoruna.lnk" 2>/dev/null)

wine "$setup" /S
[ -f "$installed/zoruna.exe" ] || fail "no zoruna.exe in Program Files"
[ -f "$installed/uninstall.exe" ] || fail "no uninstaller"
[ -f "$menu_entry" ] || fail "no Start-menu entry ($menu_entry)"
wine reg query "$key" /v UninstallString 2>/dev/null | grep -q 'uninstall.exe' || fail "no Uninstall key"
echo "installed: $installed"

shown=$(wine "$installed/zoruna.exe" --version 2>/dev/null | tr -d '\r')
echo "$shown" | grep -q "$version" || fail "--version says '$shown', not $version"
echo "--version: $shown"

# One pair with every kind of row, compared by both builds.
mkdir -p "$work/A/資料" "$work/B/資料"
touch -d '2024-03-05 10:15:00' "$work/A/資料.txt" "$work/A/報告書.txt"
touch -d '2024-03-04 09:00:00' "$work/B/報告書.txt" "$work/B/only b.txt"
mkdir -p "$work/linux" "$work/windows"
printf '[DIR0]\r\nDIRA=%s\r\nDIRB=%s\r\nMASK=\r\n' "$work/A" "$work/B" > "$work/linux/zoruna.INI"
printf '[DIR0]\r\nDIRA=%s\r\nDIRB=%s\r\nMASK=\r\n' "$(windows_path "$work/A")" "$(windows_path "$work/B")" \
  > "$work/windows/zoruna.INI"
set +e
(cd "$work/linux" && "$lbuild/zoruna" --report) > "$work/linux.txt"
lstatus=$?
(cd "$work/windows" && wine "$installed/zoruna.exe" --report) > "$work/windows.txt" 2>/dev/null
wstatus=$?
set -e
# Rows come in each side's listing order, which is the file system's: the
# same set of lines, each line alike (Windows ends them with CR LF).
tr -d '\r' < "$work/windows.txt" | sort > "$work/windows-sorted.txt"
sort "$work/linux.txt" > "$work/linux-sorted.txt"
diff "$work/linux-sorted.txt" "$work/windows-sorted.txt" || fail "--report differs from the Linux build's"
[ "$lstatus" = "$wstatus" ] || fail "--report exit status $wstatus, the Linux build's $lstatus"
echo "--report: $(wc -l < "$work/linux.txt") lines as on Linux, exit status $wstatus"

# The installed program's window; a second start only brings it forward
# and ends.
windows_named() { xdotool search --onlyvisible --name '^Zoruna$' 2>/dev/null | wc -l; }
(cd "$work/windows" && exec wine "$installed/zoruna.exe") >/dev/null 2>&1 &
for _ in $(seq 150); do [ "$(windows_named)" -ge 1 ] && break; sleep 0.2; done
[ "$(windows_named)" -ge 1 ] || fail "the installed program shows no window"
(cd "$work/windows" && timeout 60 wine "$installed/zoruna.exe") >/dev/null 2>&1 || fail "a second start did not end"
[ "$(windows_named)" = 1 ] || fail "a second start opened a window of its own"
echo "window: shown once, a second start ended"
wineserver -k >/dev/null 2>&1 || true
start_wine

wine "$installed/uninstall.exe" /S
# The uninstaller copies itself to a temporary folder and runs from there.
for _ in $(seq 50); do [ -e "$installed/zoruna.exe" ] || break; sleep 0.2; done
[ ! -e "$installed/zoruna.exe" ] || fail "zoruna.exe is still installed"
[ ! -e "$menu_entry" ] || fail "the Start-menu entry is still there"
! wine reg query "$key" >/dev/null 2>&1 || fail "the Uninstall key is still there"
echo "uninstalled"
echo "OK"
