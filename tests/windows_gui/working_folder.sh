#!/usr/bin/env bash
# The working folder of a window started from a menu, which starts it in a
# folder without DiskInfo.ini: with none remembered the folder chooser asks
# once before the dialog; the right click's "Working folder..." (and the
# system menu's) starts the program again in the folder chosen, which the next
# plain start takes; a start in a folder that holds DiskInfo.ini works there.
# The menus' mnemonics are checked in English, where "S" is the system menu's
# "Size". (xdotool cannot type Polish letters into Wine's chooser: the folder
# names typed here are ASCII; the Qt window's test types Polish ones.)
# Usage: see wine_gui.sh.
source "$(dirname "$0")/wine_gui.sh"
new_recorder recorder
mkdir -p "$scratch/menu" "$scratch/first" "$scratch/Serwis/second" "$scratch/portable"
cp -r "$examples/sif/." "$scratch/portable/"
profile=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/imageburner/profile.ini

# Types the folder into the chooser that is open (titled "Working folder") and confirms.
choose_folder() {
  wait_until 30 xdotool search --name '^Working folder$' >/dev/null || fail "no folder chooser"
  xdotool key --delay 80 ctrl+a type --delay 30 "$(windows_path "$scratch/$1")"
  gui_keys Return
}

title_is() { xdotool search --name "^$kTitle - $1\$" >/dev/null 2>&1; }

rm -f "$profile"
gui_folder=menu gui_launch --sim ../recorder
choose_folder first
wait_until 60 title_is first || fail "the folder chosen at the first start is not used"
grep -q "first" "$profile" || fail "the folder chosen is not remembered"

# The right click's menu on the banner; "w" picks "Working folder...".
gui_check_layout
read -r x y <<<"$(gui_point 1018 10 -20)"
xdotool mousemove --sync "$x" "$y" click 3
sleep 1
gui_keys w
choose_folder "Serwis/second"
wait_until 60 title_is second || fail "the menu's folder did not start the program there"
gui_keys Escape
wait_until 20 eval '! gui_program_runs' || fail "Escape did not end the program"

gui_folder=menu gui_start --sim ../recorder
wait_until 30 title_is second || fail "the remembered folder is not used"
# In English the system menu's "Size" takes S: "v" picks "Service".
gui_keys Escape
wait_until 20 eval '! gui_program_runs' || fail "Escape did not end the program"
LC_ALL=C.UTF-8 gui_folder=portable gui_start --sim ../recorder
wait_until 30 title_is portable || fail "a folder with DiskInfo.ini is not used"
gui_system_menu v
wait_until 10 gui_probe --service || fail "Alt+Space, v did not show the service panel in English"
rm -f "$profile"
