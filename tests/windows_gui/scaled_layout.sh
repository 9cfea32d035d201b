#!/usr/bin/env bash
# The window at 150 % scaling (144 dots per inch) in a Wine prefix of its own,
# since a prefix's scaling holds for every program started in it: the dialog
# grows with its font, every control lies where the control table puts it for
# that font, and the banner fills its whole rectangle.
# Usage: see wine_gui.sh.
export WINEPREFIX=${1:?build folder}/wine-prefix-150
source "$(dirname "$0")/wine_gui.sh"
for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
  "$wine" reg add "$key" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1 || fail "LogPixels in $key"
done
new_recorder recorder
mkdir "$scratch/update"

gui_start --sim recorder --workdir update
gui_check_layout
read -r _ _ width _ <<<"$(gui_client_area)"
# 329 dialog units: 494 pixels at 100 %, 658 with the larger font at 144 dpi.
[ "$width" -ge 600 ] || fail "the dialog is $width pixels wide, not scaled"
gui_shot windows-dialog-150
gui_banner_fills windows-dialog-150
