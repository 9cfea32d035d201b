#!/usr/bin/env bash
# The session's end in the middle of a full update, delivered to the real
# program by an X session manager (session_manager, XSMP) as a desktop's
# log-out does: the request to save for a shutdown is cancelled while the
# update runs; the session manager's "die" all the same stops the update at its
# next command, EndSession is the recorder's last command, and the program
# ends without opening a message box (the interruption is in the log).
# Usage: session_end_under_xvfb.sh <imageburner> <imageburner-cli> <session_manager> <example folder>
program=${1:?} cli=${2:?} manager=${3:?} examples=${4:?}
source "$(dirname "$0")/xvfb_harness.sh"
log=$scratch/service.log
shown_on_failure=("$scratch/app.out" "$scratch/events" "$log")
app_pid="" manager_pid=""
stop_test() { for pid in $app_pid $manager_pid; do kill "$pid" 2>/dev/null || true; done; }

mkfifo "$scratch/commands"
"$manager" <"$scratch/commands" >"$scratch/events" 2>&1 &
manager_pid=$!
exec 4>"$scratch/commands"
wait_until 10 grep -q '^SESSION_MANAGER=' "$scratch/events" || fail "no session manager"
export SESSION_MANAGER=$(sed -n 's/^SESSION_MANAGER=//p' "$scratch/events")
events() { grep -c "^$1\$" "$scratch/events" || true; }

"$cli" sim init "$scratch/recorder" --force >/dev/null
# A slow recorder: the update's writes take seconds, time for the session's end.
sed -i 's/^bandwidth_bytes_per_s = .*/bandwidth_bytes_per_s = 200000/' "$scratch/recorder/recorder.ini"
cp -r "$examples" "$scratch/examples"
"$program" --sim "$scratch/recorder" --workdir "$scratch/examples" --log "$log" >"$scratch/app.out" 2>&1 &
app_pid=$!
wait_until 20 eval '[ "$(events registered)" -ge 1 ]' || fail "the program did not register with the session manager"
window=$(timeout 20 xdotool search --sync --onlyvisible --name 'VELTRAX VT-RD70')
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove --window "$window" $((WIDTH * 163 / 329)) $((HEIGHT * 101 / 140)) click 1
wait_until 60 grep -q '^fa556608' "$scratch/recorder/commands.log" || fail "no sector write began"

echo shutdown >&4
wait_until 20 eval '[ "$(events cancelled)" -ge 1 ]' || fail "the log-out was not cancelled mid-update"
kill -0 "$app_pid" 2>/dev/null || fail "the program ended at the log-out's question"
grep -q "The session's end was refused: Updating the recorder: do not switch off" "$log" ||
  fail "the refusal is not in the log"

echo die >&4
wait_until 60 eval '! kill -0 "$app_pid" 2>/dev/null' || fail "the program did not end with the session"
wait "$app_pid" || true
app_pid=""
grep -q "full update finished: failure" "$log" || fail "the update did not end"
grep -q "  message: Interrupted: the operation stopped before it was done" "$log" || fail "no interruption logged"
last=$(tail -1 "$scratch/recorder/commands.log")
[ "${last:0:8}" = fa5566dd ] || fail "the recorder's last command is not EndSession: $last"
