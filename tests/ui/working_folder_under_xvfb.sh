#!/usr/bin/env bash
# The working folder of the real program started as the desktop's menu starts
# it (in a folder without DiskInfo.ini, no --workdir): with none remembered
# the folder chooser asks once before the dialog; the context menu's
# "Working folder..." starts the program again in the folder chosen, which the
# next plain start takes from the profile; a start in a folder that holds
# DiskInfo.ini works there. Real keys and clicks on an X server of its own.
# Usage: working_folder_under_xvfb.sh <imageburner> <imageburner-cli> <example folder>
program=$(realpath "${1:?}") cli=${2:?} examples=${3:?}
source "$(dirname "$0")/xvfb_harness.sh"
shown_on_failure=("$scratch/app.out")
readonly kTitle="VELTRAX VT-RD70"
# Every program started here, the ones it starts again included (they keep
# --sim), and no other test's program of the same build.
programs() { pgrep -f "^$program .*--sim $scratch/recorder" || true; }
stop_test() { for pid in $(programs); do kill "$pid" 2>/dev/null || true; done; }
export XDG_CONFIG_HOME=$scratch/config
"$cli" sim init "$scratch/recorder" --force >/dev/null
mkdir -p "$scratch/menu" "$scratch/first" "$scratch/zażółć/gęślą"
cp -r "$examples/sif" "$scratch/portable"

# Starts the program in folder $1 of $scratch without a working folder.
start_in() { (cd "$scratch/$1" && exec "$program" --sim "$scratch/recorder" >>"$scratch/app.out" 2>&1 &); }
shows() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
# Types folder $1 of $scratch into the open folder chooser and confirms it.
# xdotool types a letter missing from the keyboard map by mapping a spare key
# for a moment, which a loaded machine can read as another letter: a chooser
# still open after a wrongly typed name gets the name again.
choose() {
  wait_until 20 shows '^Working folder$' || fail "no folder chooser"
  local attempt
  for attempt in 1 2 3; do
    xdotool windowfocus --sync "$(xdotool search --onlyvisible --name '^Working folder$' | head -1)" 2>/dev/null || true
    sleep 2  # until the chooser has listed its folder and takes keys
    xdotool key ctrl+a type --delay 80 "$scratch/$1"
    xdotool key Return
    # A Return the name completer's list took closes only the list.
    wait_until 3 eval '! shows "^Working folder\$"' || xdotool key Return
    wait_until 5 eval '! shows "^Working folder\$"' && return 0
  done
}
title_is() { shows "^$kTitle - $1\$"; }
remembered() { grep -rqs "$1" "$XDG_CONFIG_HOME"; }
# Escape in the window titled for folder $1.
close_window() {
  xdotool windowfocus --sync "$(xdotool search --onlyvisible --name "^$kTitle - $1\$" | head -1)" 2>/dev/null || true
  xdotool key Escape
  wait_until 20 eval '[ -z "$(programs)" ]' || fail "Escape did not end the program"
}

start_in menu
choose first
wait_until 30 title_is first || fail "the folder chosen at the first start is not used"
remembered "$scratch/first" || fail "the folder chosen is not remembered"

# The context menu: a right click on the banner, "w" for "Working folder...".
window=$(xdotool search --onlyvisible --name "^$kTitle - first\$" | head -1)
xdotool mousemove --window "$window" 100 20 click 3
sleep 2  # until the menu is up and takes keys
xdotool key w
choose "zażółć/gęślą"
wait_until 30 title_is "gęślą" || fail "the menu's folder did not start the program there"
remembered "gęślą" || fail "the menu's folder is not remembered"
wait_until 20 eval '[ "$(programs | wc -l)" -eq 1 ]' || fail "the first program did not end"
close_window "gęślą"

start_in menu
wait_until 30 title_is "gęślą" || fail "the remembered folder is not used"
shows '^Working folder$' && fail "asked again though a folder is remembered"
close_window "gęślą"

start_in portable
wait_until 30 title_is portable || fail "a folder with DiskInfo.ini is not used"
close_window portable
