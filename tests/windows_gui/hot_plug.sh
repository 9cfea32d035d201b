#!/usr/bin/env bash
# The recorder's cable pulled and plugged while the window is idle: the status
# line says the recorder is not found and the operation buttons are disabled,
# then that it is ready and the buttons are enabled again. The keyboard focus
# leaves the disabled start button for the next control that takes keys (the
# dialog itself while the service panel is collapsed, never the banner) and
# returns to it with the recorder, also when the recorder is away at start-up.
# Usage: see wine_gui.sh.
source "$(dirname "$0")/wine_gui.sh"
new_recorder recorder
mkdir "$scratch/update"
ready="status: $(status_text kRecorderReady) (0 %)"
absent="status: $(status_text kRecorderNotFound) (0 %)"

last_status_is() { [ "$(gui_last_status)" = "$1" ]; }
# Probes the dialog (service panel shown: --service) and fails unless the focus is $1 ("id=N" or "dialog").
expect_focus() {
  local want=$1 case_name=$2
  shift 2
  gui_check_layout "$@"
  [ "$(gui_focus)" = "$want" ] || fail "$case_name: the focus is '$(gui_focus)', not '$want'"
}
# Pulls (unplug) or plugs (plug) the cable and waits for the status line to say so.
cable() {
  run_cli sim "$1" recorder >/dev/null || fail "sim $1"
  wait_until 60 last_status_is "$2" || fail "sim $1 was not shown"
}

gui_start --sim recorder --workdir update --log service.log
wait_until 60 last_status_is "$ready" || fail "not ready at start-up"
expect_focus id=1 start-up
cable unplug "$absent"
expect_focus dialog unplugged
expect_controls unplugged "1 enabled=0" "1024 enabled=0"
cable plug "$ready"
expect_focus id=1 plugged
expect_controls plugged "1 enabled=1" "1024 enabled=1"

gui_keys ctrl+shift+s
wait_until 10 gui_probe --service || fail "no service panel"
cable unplug "$absent"
expect_focus id=1006 "unplugged with the service panel" --service
cable plug "$ready"
expect_focus id=1 "plugged with the service panel" --service

gui_keys Escape
wait_until 20 eval '! gui_program_runs' || fail "Escape did not end the program"
run_cli sim unplug recorder >/dev/null || fail "sim unplug"
gui_start --sim recorder --workdir update --log service.log
wait_until 60 last_status_is "$absent" || fail "the recorder was found at start-up"
expect_focus dialog "away at start-up"
cable plug "$ready"
expect_focus id=1 "plugged after start-up"
# The keys reach the dialog, whose focus is its own again.
cable unplug "$absent"
gui_keys Escape
wait_until 20 eval '! gui_program_runs' || fail "Escape without a recorder did not end the program"
