#!/usr/bin/env bash
# The user's session ends (a log-off) in the middle of a full update, as
# Windows ends it: WM_QUERYENDSESSION, which the window refuses with its
# reason, then WM_ENDSESSION all the same. The update stops at its next
# command, the recorder's session is closed (EndSession is the last command
# it receives), the program ends, and no message box opened on the way (they
# are only logged). An idle window lets the session end at once.
# Usage: see wine_gui.sh.
source "$(dirname "$0")/wine_gui.sh"
session_end=$(dirname "$probe")/session_end.exe
cp -r "$examples" "$scratch/folder"
new_recorder recorder
# A slow recorder: the update's writes take seconds, time for the session's end.
sed -i 's/^bandwidth_bytes_per_s = .*/bandwidth_bytes_per_s = 200000/' "$scratch/recorder/recorder.ini"

# Ends the session for the dialog; its answers in $scratch/session_end.out.
end_session() {
  "$wine" "$session_end" --desktop "$desktop" "$kTitle" </dev/null 2>&1 | tr -d '\r' >"$scratch/session_end.out" ||
    fail "session_end: $(cat "$scratch/session_end.out")"
}

gui_start --sim recorder --workdir folder/sif --log service.log
gui_check_layout
gui_click 1
# Sector writes (vendor code 08) are under way.
wait_until 120 grep -q '^fa556608' "$scratch/recorder/commands.log" || fail "no sector write began"
end_session
grep -qx "query: refused" "$scratch/session_end.out" || fail "the session's end was let through mid-update"
grep -qx "ended" "$scratch/session_end.out" || fail "WM_ENDSESSION did not return"
wait_until 30 eval '! gui_program_runs' || fail "the program did not end with the session"
grep -q "The session's end was refused: Updating the recorder: do not switch off" "$scratch/service.log" ||
  fail "the refusal and its reason are not in the log"
grep -q "full update finished: failure" "$scratch/service.log" || fail "the update did not end"
grep -q "  message: Interrupted: the operation stopped before it was done" "$scratch/service.log" ||
  fail "the interruption is not in the log"
last=$(tail -1 "$scratch/recorder/commands.log")
[ "${last:0:8}" = fa5566dd ] || fail "the recorder's last command is not EndSession: $last"

gui_start --sim recorder --workdir folder/sif
end_session
grep -qx "query: allowed" "$scratch/session_end.out" || fail "an idle window refused the session's end"
wait_until 30 eval '! gui_program_runs' || fail "the idle program did not end with the session"
