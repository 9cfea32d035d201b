#!/usr/bin/env bash
# A full update started with a real click on the big button against a fresh
# simulated recorder, from the serial-flash example working folder: it ends in
# success, with the success text over a bar in the success colour, and the
# recorder received the same vendor commands as from a command-line update of
# the same folder. Then Enter after the finished update starts the next, and
# so does Enter in an edit of the service panel.
# Usage: see wine_gui.sh.
source "$(dirname "$0")/wine_gui.sh"
for run in gui cli; do
  cp -r "$examples" "$scratch/$run-folder"
  new_recorder "$run-recorder"
done

# The vendor commands of the update session in a recorder's command log: from
# the first Download (02) or SelectStorage (06) to the last EndSession (dd).
update_session() {
  awk '/^fa55660[26]/ && !first {first = NR} {line[NR] = $0} /^fa5566dd/ {last = NR}
       END {for (i = first; first && i <= last; i++) print line[i]}' "$scratch/$1/commands.log"
}

gui_start --sim gui-recorder --workdir gui-folder/sif --log service.log
gui_check_layout
gui_click 1
gui_wait_finished 1 120
grep -q "full update finished: success" "$scratch/service.log" || fail "the update failed"
success=$(status_text kProcessSucceeded)
last_status=$(gui_last_status)
[ "$last_status" = "status: $success (100 %)" ] || fail "last status: $last_status"

# The status line: the bar filled in green (0x00FF00) to both ends, the text in black over it.
gui_check_layout
gui_shot windows-dialog-after-update
gui_banner_fills windows-dialog-after-update
read -r _ _ width _ <<<"$(gui_shot_rect 1018)"
for x in 3 $((width - 4)); do
  [ "$(gui_pixel windows-dialog-after-update 1018 "$x" 3)" = 00ff00 ] || fail "the bar is not green $x pixels in"
done
gui_colours windows-dialog-after-update 1018 3 | grep -qx '0 0 0' || fail "no black text on the status line"

run_cli --sim cli-recorder --workdir cli-folder/sif update >/dev/null || fail "the command-line update"
diff <(update_session cli-recorder) <(update_session gui-recorder) >&2 ||
  fail "the window sent other commands than the command line"
[ -n "$(update_session gui-recorder)" ] || fail "no update session in the command log"

# Enter after a finished operation starts the next one.
gui_keys Return
gui_wait_finished 2 120
# Enter with the focus in an edit starts the full update.
gui_keys ctrl+shift+s
wait_until 10 gui_probe --service || fail "no service panel"
gui_click 1006
gui_keys Return
gui_wait_finished 3 120
grep -c "full update finished: success" "$scratch/service.log" | grep -qx 3 || fail "an update by key failed"
