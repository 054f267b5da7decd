# Shared by the scripts that run zoruna.exe under Wine (sourced, not run).

# A Wine prefix of Zoruna's own under the cache folder, booted once, with the
# IPA fonts linked into its Fonts folder so that the dialogs find Japanese
# faces. Its wineserver stays up for the calling script (its helpers inherit
# stdio and would hold a caller's pipes open: /dev/null) until stop_wine.
start_wine() {
  export WINEPREFIX=${ZORUNA_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/zoruna/wine}
  export WINEDEBUG=${WINEDEBUG:--all}
  # No offer to install Mono or Gecko (the program needs neither), and no
  # entries in this machine's own menu for the Start-menu entries made inside.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  mkdir -p "$WINEPREFIX"
  # (a server that already runs for this prefix stays)
  wineserver -p >/dev/null 2>&1 </dev/null || true
  [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1 </dev/null
  local fonts=$WINEPREFIX/drive_c/windows/Fonts font
  mkdir -p "$fonts"
  for font in /usr/share/fonts/opentype/ipafont-gothic/*.ttf; do
    [ -e "$font" ] && ln -sf "$font" "$fonts/"
  done
  # Menus and title bars are drawn in Wine's own faces, which have no
  # Japanese: link the IPA face behind them, as Windows links its CJK fonts.
  local face
  for face in Tahoma "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2"; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d 'ipagp.ttf,IPAPGothic' /f >/dev/null 2>&1 </dev/null || true
  done
}

stop_wine() {
  wineserver -k >/dev/null 2>&1 </dev/null || true
}

# The Windows path of a Linux path: Wine maps / to Z:.
windows_path() {
  printf 'Z:%s' "${1//\//\\}"
}
