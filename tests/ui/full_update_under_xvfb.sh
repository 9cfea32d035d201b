#!/usr/bin/env bash
# Runs the real program on an X server of its own against a fresh simulated
# recorder, at a scaling of its own (Qt's scale factor, default 1), checks
# that it is a main window of its own and that the banner fills its
# rectangle; the recorder is plugged in only once the window shows, after
# which Space (the start button has the focus again) starts the full update;
# waits for the final status, and saves screenshots of the dialog and of the
# service panel.
# Usage: full_update_under_xvfb.sh <imageburner> <imageburner-cli> <example folder> <output folder> [<scale>]
set -euo pipefail
program=${1:?} cli=${2:?} examples=${3:?} out=${4:?}
export QT_SCALE_FACTOR=${5:-1}
mkdir -p "$out"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/imageburner-xvfb.XXXXXX")
log="$out/imageburner-xvfb.log"
rm -f "$log"
xvfb_pid="" app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$scratch"
}
trap 'status=$?; [ $status -ne 0 ] && [ -f "$scratch/app.out" ] && cat "$scratch/app.out"; cleanup' EXIT

# A display number the server picks itself.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$scratch/display" > "$scratch/xvfb.out" 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$scratch/display")"
unset QT_QPA_PLATFORM

"$cli" sim init "$scratch/recorder" --force > /dev/null
"$cli" sim unplug "$scratch/recorder" > /dev/null
cp -r "$examples" "$scratch/examples"
"$program" --sim "$scratch/recorder" --workdir "$scratch/examples" --log "$log" > "$scratch/app.out" 2>&1 &
app_pid=$!

window=$(timeout 20 xdotool search --sync --onlyvisible --name 'VELTRAX VT-RD70')
# The main window: a normal window of its own (a task-bar entry), transient for none.
xprop -id "$window" WM_TRANSIENT_FOR | grep -q 'not found' || { echo "the window is transient for another"; exit 1; }
xprop -id "$window" _NET_WM_WINDOW_TYPE | grep -q '_NET_WM_WINDOW_TYPE_NORMAL' || { echo "not normal"; exit 1; }
xdotool windowmove --sync "$window" 0 0 || true
eval "$(xdotool getwindowgeometry --shell "$window")"
shot() { xwd -id "$window" -silent | xwdtopnm 2>/dev/null; }
# Dialog units (289, 52) of the 329 x 140 client area lie inside the banner's
# bottom-right corner (the road's dark grey), not on the dialog's light face.
colour=$(shot | pnmcut -left $((WIDTH * 289 / 329)) -top $((HEIGHT * 52 / 140)) -width 1 -height 1 | tail -c 3 |
  od -An -tu1)
read -r red green blue <<<"$colour"
[ "$red" -lt 96 ] && [ "$green" -lt 96 ] && [ "$blue" -lt 96 ] || { echo "the banner does not fill its rectangle: $colour"; exit 1; }

# The recorder arrives; the disabled start button's focus comes back to it.
wait_for_log() {
  for _ in $(seq 1 100); do grep -q "$1" "$log" 2>/dev/null && return 0; sleep 0.1; done
  echo "not in the log: $1"; cat "$log"; exit 1
}
wait_for_log 'status: Nie znaleziono'
"$cli" sim plug "$scratch/recorder" > /dev/null
wait_for_log 'status: Rejestrator gotowy'
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key space

for _ in $(seq 1 600); do
  grep -q 'full update finished' "$log" 2>/dev/null && break
  if grep -q 'message: ' "$log" 2>/dev/null; then
    echo "a message box opened:"; cat "$log"; exit 1
  fi
  sleep 0.2
done
grep -q 'full update finished: success' "$log" || { echo "no success:"; cat "$log"; exit 1; }
grep -q 'step: Burn-in Boot process done' "$log" || { echo "no final status:"; cat "$log"; exit 1; }

png() { shot | pnmtopng > "$out/$1"; }
png imageburner-dialog.png
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key ctrl+shift+s
sleep 0.5
png imageburner-service-panel.png
xdotool key Escape
for _ in $(seq 1 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app_pid" 2>/dev/null; then echo "the program did not end on Escape"; exit 1; fi
wait "$app_pid"
app_pid=""
echo "screenshots in $out"
