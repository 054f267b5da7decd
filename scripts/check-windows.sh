#!/usr/bin/env bash
# Installs the Windows installer silently under Wine and checks the result:
# the program in Program Files, the Start-menu entry, the uninstaller and
# its Uninstall key; the installed program's --version, its English texts,
# its --report and --sync of a real pair against the Linux build's (same
# lines, same folders afterwards), Ctrl+C during a --sync in Wine's console;
# then uninstalls and checks that everything is gone.
#   scripts/check-windows.sh [build-windows] [linux build folder]
# Needs wine, xvfb-run, xdotool and python3 (make windows and make deps
# install them).
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

# The English catalog came along, and the messages are English under an
# English locale: the one of a pair whose folder is missing.
[ -f "$installed/locale/en/LC_MESSAGES/zoruna.mo" ] || fail "no English catalog beside zoruna.exe"
mkdir -p "$work/language"
printf '[DIR0]\r\nDIRA=%s\r\nDIRB=%s\r\nMASK=\r\n' 'C:\missing-a' 'C:\missing-b' > "$work/language/zoruna.INI"
message() { (cd "$work/language" && LANG=$1 wine "$installed/zoruna.exe" --report 2>&1 >/dev/null | tr -d '\r' | head -1 || true); }
english=$(message en_US.UTF-8)
japanese=$(message ja_JP.UTF-8)
case $english in *ﾃﾞｨﾚｸﾄﾘ*|'') fail "the message under an English locale: '$english'" ;; esac
case $japanese in *ﾃﾞｨﾚｸﾄﾘ*) ;; *) fail "the message under a Japanese locale: '$japanese'" ;; esac
echo "English: $english"

# One pair with every kind of row, compared and then brought into step by
# both builds, each in a copy of its own.
seed=$work/seed
mkdir -p "$seed/A/資料" "$seed/B/資料"
echo new > "$seed/A/報告書.txt"
echo old > "$seed/B/報告書.txt"
echo a > "$seed/A/資料.txt"
echo b > "$seed/B/only b.txt"
touch -d '2024-03-05 10:15:00' "$seed/A/資料.txt" "$seed/A/報告書.txt"
touch -d '2024-03-04 09:00:00' "$seed/B/報告書.txt" "$seed/B/only b.txt"
for build in linux windows; do
  mkdir -p "$work/$build"
  cp -a "$seed/A" "$seed/B" "$work/$build/"
done
printf '[DIR0]\r\nDIRA=%s\r\nDIRB=%s\r\nMASK=\r\n' "$work/linux/A" "$work/linux/B" > "$work/linux/zoruna.INI"
printf '[DIR0]\r\nDIRA=%s\r\nDIRB=%s\r\nMASK=\r\n' "$(windows_path "$work/windows/A")" \
  "$(windows_path "$work/windows/B")" > "$work/windows/zoruna.INI"
# run <build> <option>: the option's output with the folders of that build's
# copy shown as the other's (Windows paths also end their lines with CR LF
# and print '\' as '\\'), then its exit status.
run() {
  local status=0
  if [ "$1" = linux ]; then
    (cd "$work/linux" && "$lbuild/zoruna" "$2") > "$work/out" 2>&1 || status=$?
  else
    (cd "$work/windows" && wine "$installed/zoruna.exe" "$2") > "$work/out" 2>&1 || status=$?
  fi
  tr -d '\r' < "$work/out" | sed -e "s|$(windows_path "$work/windows" | sed 's/\\/\\\\\\\\/g')|DIR|g" \
    -e "s|$work/linux|DIR|g" -e 's|\\\\|/|g' | sort
  echo "status $status"
}
for option in --report --sync --report; do
  run linux "$option" > "$work/linux.txt"
  run windows "$option" > "$work/windows.txt"
  # Rows come in each side's listing order, which is the file system's:
  # the same set of lines.
  diff "$work/linux.txt" "$work/windows.txt" || fail "$option differs from the Linux build's"
  echo "$option: $(($(wc -l < "$work/linux.txt") - 1)) lines as on Linux, $(tail -1 "$work/linux.txt")"
done
# The copies are alike: the same files with the same contents and times.
tree_of() { (cd "$1" && find . -type f -printf '%p %TY-%Tm-%Td %TH:%TM:%TS ' -exec md5sum {} \; | sort); }
diff <(tree_of "$work/linux") <(tree_of "$work/windows") | grep -v 'zoruna.INI' | grep '^[<>]' &&
  fail "the folders after --sync differ from the Linux build's"
echo "--sync: the folders are alike after both runs"

# Ctrl+C in a console (a pseudo-terminal, which Wine's console reads as a
# keyboard) once the first of four large files is copied: --sync stops,
# prints its summary, exits with 130 and leaves no temporary file.
mkdir -p "$work/ctrl-c/A" "$work/ctrl-c/B"
for i in 1 2 3 4; do head -c $((256 * 1024 * 1024)) /dev/zero > "$work/ctrl-c/A/large$i.bin"; done
printf '[DIR0]\r\nDIRA=%s\r\nDIRB=%s\r\nMASK=\r\n' "$(windows_path "$work/ctrl-c/A")" \
  "$(windows_path "$work/ctrl-c/B")" > "$work/ctrl-c/zoruna.INI"
cstatus=0
(cd "$work/ctrl-c" && python3 - "$installed/zoruna.exe" > "$work/ctrl-c.txt") <<'PYTHON' || cstatus=$?
import os, pty, re, select, sys, time
pid, fd = pty.fork()
if pid == 0:
    os.execvp("wine", ["wine", sys.argv[1], "--sync"])
# Wine's console draws with terminal controls, even between letters, and
# moves the cursor forward for spaces.
def text(data):
    data = re.sub(r"\x1b\[(\d*)C", lambda m: " " * int(m.group(1) or 1), data.decode("utf-8", "replace"))
    return re.sub(r"\x1b\[[0-9;?]*[A-Za-z]", "", data)
out, sent, deadline = b"", False, time.time() + 120
while time.time() < deadline:
    if select.select([fd], [], [], 0.2)[0]:
        try:
            data = os.read(fd, 4096)
        except OSError:
            break
        if not data:
            break
        out += data
    if not sent and "large" in text(out):
        os.write(fd, b"\x03")
        sent = True
_, status = os.waitpid(pid, 0)
sys.stdout.write(text(out))
sys.exit(os.waitstatus_to_exitcode(status))
PYTHON
[ "$cstatus" = 130 ] || fail "--sync stopped by Ctrl+C exited with $cstatus, not 130: $(cat "$work/ctrl-c.txt")"
grep -q 'files\? copied' "$work/ctrl-c.txt" || fail "no summary after Ctrl+C: $(cat "$work/ctrl-c.txt")"
copied=$(find "$work/ctrl-c/B" -name 'large*.bin' | wc -l)
[ "$copied" -lt 4 ] || fail "Ctrl+C did not stop the copy"
! find "$work/ctrl-c/B" -name '.zoruna~*' | grep -q . || fail "Ctrl+C left a temporary file"
echo "Ctrl+C: --sync stopped after $copied of 4 files, status 130, no temporary file"

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
