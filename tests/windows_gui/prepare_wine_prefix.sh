#!/usr/bin/env bash
# Makes the Wine prefix in $WINEPREFIX fit for drawing windows headless; run
# after wineboot and before the prefix's first desktop starts. Idempotent.
# - Debian's Wine does not find the fonts of fonts-wine by itself (the bitmap
#   "MS Sans Serif" among them): they are linked into the prefix's Fonts folder.
# - A virtual desktop by default: it draws captions and menus without a
#   window manager.
set -euo pipefail
: "${WINEPREFIX:?}"
fonts=$WINEPREFIX/drive_c/windows/Fonts
mkdir -p "$fonts"
ln -sf /usr/share/wine/fonts/* "$fonts/"
if ! grep -q '^\[Software\\\\Wine\\\\Explorer\\\\Desktops\]' "$WINEPREFIX/user.reg" 2>/dev/null; then
  wine=/usr/lib/wine/wine64
  "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
fi
