#!/usr/bin/env bash
# The window's hidden parts, reached with real keys and clicks: the system
# menu's "Service" entry shows the service panel (its layout the control
# table's), Ctrl+Shift+S hides and shows it; the system menu's about entry
# opens the about box; "Save log..." writes the log to the file typed into
# the save dialog. Screenshots of the dialog, the panel and the about box.
# Usage: see wine_gui.sh.
source "$(dirname "$0")/wine_gui.sh"
new_recorder recorder
mkdir "$scratch/update"

window_shown() { xdotool search --name "$1" >/dev/null 2>&1; }

gui_start --sim recorder --workdir update --log service.log
gui_check_layout
gui_shot windows-dialog

gui_system_menu v
wait_until 10 gui_probe --service || fail "the menu's Service entry did not show the service panel"
gui_shot windows-service-panel
gui_keys ctrl+shift+s
wait_until 10 gui_probe || fail "Ctrl+Shift+S did not hide the service panel"

gui_system_menu a
wait_until 10 window_shown '^About$' || fail "the menu's about entry opened no about box"
gui_probe --list --title About
grep -q '^control id=.* text=ImageBurner, .*Version ' "$scratch/probe.txt" || fail "the about box does not name the program"
gui_shot windows-about-box
gui_keys Return
wait_until 10 eval '! window_shown "^About$"' || fail "the about box did not close"

gui_keys ctrl+shift+s
wait_until 10 gui_probe --service || fail "Ctrl+Shift+S did not show the service panel"
save_button=$(sed -n 's/^control id=\([0-9]*\) class=Button .* text=Save log\.\.\.$/\1/p' "$scratch/probe.txt")
gui_click "$save_button"
wait_until 10 window_shown '^(Zapisz|Save)' || fail "Save log... opened no save dialog"
xdotool key ctrl+a type --delay 30 "$(windows_path "$scratch/saved.log")"
gui_keys Return
wait_until 10 test -s "$scratch/saved.log" || fail "the log was not saved"
# The saved log is the log so far: the start of the copy kept as it grows.
cmp -s -n "$(stat -c %s "$scratch/saved.log")" "$scratch/saved.log" "$scratch/service.log" ||
  fail "the saved log differs from the service log"
grep -q "status: $(status_text kRecorderReady) (0 %)" "$scratch/saved.log" || fail "the saved log lacks the start-up status"
