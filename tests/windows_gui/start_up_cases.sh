#!/usr/bin/env bash
# The window's start-up against a simulated recorder, one run per working
# folder: DiskInfo.ini presets the storage type, the firmware number and the
# user-area check box (defaults without the file); FreezeUI locks those while
# the recorder's presence enables the service buttons again; the title ends in
# the working folder's name, also one in Polish letters; the layout is the
# control table's; Escape ends the program. --help shows the usage in a
# message box instead of the dialog.
# Usage: see wine_gui.sh.
source "$(dirname "$0")/wine_gui.sh"
new_recorder recorder

# Starts the program on working folder $1 with DiskInfo.ini's [UI_SETTING]
# lines $2 (none: no file), checks the controls against the other arguments
# (see expect_controls) and ends it with Escape.
start_up_case() {
  local folder=$1 settings=$2
  shift 2
  mkdir -p "$scratch/$folder"
  if [ -n "$settings" ]; then printf '[UI_SETTING]\n%s\n' "$settings" >"$scratch/$folder/DiskInfo.ini"; fi
  gui_start --sim recorder --workdir "$folder"
  gui_check_layout
  expect_controls "$folder" "$@"
  gui_keys Escape
  wait_until 20 eval '! gui_program_runs' || fail "$folder: Escape did not end the program"
}

start_up_case update "" \
  "title=VELTRAX VT-RD70 - update" "1014 text=eMMC" "1014 selected=2" "1022 text=2" "1022 selected=1" "1021 checked=1"
# Firmware number 0 lies outside the list: the box stays empty.
start_up_case "zażółć/gęślą/jaźń" $'Media=3\nNumberOfFirmware=0\nConfigUserArea=0' \
  "title=VELTRAX VT-RD70 - jaźń" "1014 text=SIF" "1014 selected=3" "1022 text=" "1022 selected=-1" "1021 checked=0"
# Media 7 lies outside the list: the box stays empty. Firmware number 11
# selects the list's last entry, which is empty.
start_up_case frozen $'FreezeUI=1\nMedia=7\nNumberOfFirmware=11' \
  "1014 text=" "1014 selected=-1" "1022 text=" "1022 selected=10" \
  "1014 enabled=0" "1022 enabled=0" "1021 enabled=0" \
  "1020 enabled=1" "1005 enabled=1" "1008 enabled=1" "1012 enabled=1" "1025 enabled=1"

wait_title=ImageBurner gui_start --help
gui_probe --list --title ImageBurner
grep -q '^control id=.* text=Usage: imageburner \[options\]\\n.*--workdir <dir>' "$scratch/probe.txt" ||
  fail "--help shows no usage"
gui_keys Return
wait_until 20 eval '! gui_program_runs' || fail "the program did not end with the usage box"
