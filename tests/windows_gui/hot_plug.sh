#!/usr/bin/env bash
# The recorder's cable pulled and plugged while the window is idle: the status
# line says the recorder is not found and the operation buttons are disabled,
# then that it is ready and the buttons are enabled again.
# Usage: see wine_gui.sh.
source "$(dirname "$0")/wine_gui.sh"
new_recorder recorder
mkdir "$scratch/update"
ready="status: $(status_text kRecorderReady) (0 %)"
absent="status: $(status_text kRecorderNotFound) (0 %)"

last_status_is() { [ "$(gui_last_status)" = "$1" ]; }

gui_start --sim recorder --workdir update --log service.log
wait_until 60 last_status_is "$ready" || fail "not ready at start-up"
run_cli sim unplug recorder >/dev/null || fail "sim unplug"
wait_until 60 last_status_is "$absent" || fail "the removal was not shown"
gui_check_layout
expect_controls unplugged "1 enabled=0" "1024 enabled=0"
run_cli sim plug recorder >/dev/null || fail "sim plug"
wait_until 60 last_status_is "$ready" || fail "the arrival was not shown"
gui_check_layout
expect_controls plugged "1 enabled=1" "1024 enabled=1"
