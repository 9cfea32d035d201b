# shellcheck shell=bash
# The window's test harness, sourced by each test script: an X server of the
# test's own, the Wine prefix made fit for drawing, the program on a Wine
# desktop of its own, its controls read from outside with the layout probe,
# real input events, screenshots and pixel reads. Everything the test started
# ends when it exits.
#
# A test script is called with
#   <build folder> <imageburner.exe> <layout_probe.exe> <imageburner-cli.exe> <source folder>
#   (<source folder>: the repository, for the examples and the status texts)
# and sources this file with those arguments; it then works in $scratch (its
# own folder, removed at exit), and screenshots land in <build folder>/screenshots.
set -euo pipefail
build=${1:?build folder} program=${2:?imageburner.exe} probe=${3:?layout_probe.exe} cli=${4:?imageburner-cli.exe}
source=${5:?source folder}
examples=$source/examples
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
shots=$build/screenshots
mkdir -p "$shots"

# The 64-bit loader itself: the wine wrapper would look for a 32-bit one first.
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || { echo "FAIL: no $wine"; exit 1; }
export WINEPREFIX=${WINEPREFIX:-$build/wine-prefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
# One locale for every Wine process of the prefix, with code page 1250, in
# which the bitmap fonts have the Polish letters.
export LC_ALL=pl_PL.UTF-8
readonly kTitle="VELTRAX VT-RD70"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/imageburner-wine-gui.XXXXXX")
xvfb_pid="" program_group=""
# The program gets a Wine desktop of its own at every start (the registry's
# default desktop is one for every process of the Wine server, and each test
# has an X server of its own), large enough for the centred dialog to grow by
# the service panel.
desktop=""

fail() {
  echo "FAIL: $*"
  exit 1
}

gui_end() {
  local status=$?
  if [ "$status" -ne 0 ]; then
    [ -f "$scratch/probe.txt" ] && { echo "--- last probe"; cat "$scratch/probe.txt"; }
    [ -f "$scratch/service.log" ] && { echo "--- service log"; cat "$scratch/service.log"; }
  fi
  gui_close_desktop
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap gui_end EXIT

source "$here/../support/wait_until.sh"

# The X server, on a display number it picks itself.
Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$scratch/display" >"$scratch/xvfb.out" 2>&1 &
xvfb_pid=$!
wait_until 20 test -s "$scratch/display" || fail "Xvfb did not start: $(cat "$scratch/xvfb.out")"
DISPLAY=":$(head -1 "$scratch/display")"
export DISPLAY
bash "$here/prepare_wine_prefix.sh"

# A path as Windows programs take it (drive Z: is the root).
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# The command-line program in $scratch (paths relative to it), windowless: it
# must not start a desktop on this display.
run_cli() { (cd "$scratch" && exec env -u DISPLAY "$wine" "$cli" "$@" </dev/null); }

# A fresh simulated recorder in boot ROM in folder $1 of $scratch.
new_recorder() { run_cli sim init "$1" --force >/dev/null || fail "sim init $1"; }

# Ends the Wine desktop of the last start and whatever still runs on it.
gui_close_desktop() {
  if [ -n "$program_group" ]; then kill -- "-$program_group" 2>/dev/null || true; fi
  program_group=""
}

# Starts the program with these arguments (paths relative to $scratch) on a
# Wine desktop of its own and waits for its dialog.
gui_start() {
  gui_launch "$@"
  wait_until 60 gui_shows_dialog || fail "no dialog: $(cat "$scratch/program.out")"
}

# The same without waiting; the program's current folder is $scratch/$gui_folder.
gui_launch() {
  gui_close_desktop
  starts=$((${starts:-0} + 1))
  desktop=imageburner-test-$$-$starts
  (cd "$scratch/${gui_folder:-}" && exec setsid "$wine" explorer "/desktop=$desktop,1600x1200" \
    "$(windows_path "$program")" "$@" >"$scratch/program.out" 2>&1) &
  program_group=$!
}

# (A start that shows another window first names its title in $wait_title.)
gui_shows_dialog() { xdotool search --name "^${wait_title:-$kTitle}" >/dev/null 2>&1; }

# Whether imageburner.exe still runs.
gui_program_runs() {
  ps -eo pgid=,args= | awk -v group="$program_group" '$1 == group && /imageburner\.exe/ {found = 1} END {exit !found}'
}

# Reads the main dialog with the probe into $scratch/probe.txt; the probe's
# exit status (1: the layout differs). --service: the service panel is
# expected shown; --list: only list; --title PREFIX: another window than the main dialog.
gui_probe() {
  local title=$kTitle options=() status=0
  while [ $# -gt 0 ]; do
    case $1 in
      --title) title=$2; shift 2 ;;
      *) options+=("$1"); shift ;;
    esac
  done
  "$wine" "$probe" --desktop "$desktop" "${options[@]}" "$title" 2>/dev/null </dev/null | tr -d '\r' \
    >"$scratch/probe.txt" || status=$?
  [ -s "$scratch/probe.txt" ] || fail "the probe found no window \"$title\""
  return "$status"
}

# Field NAME of control ID in the last probe (text: the rest of the line).
gui_field() {
  local id=$1 name=$2
  if [ "$name" = text ]; then
    sed -n "s/^control id=$id .* text=//p" "$scratch/probe.txt"
  else
    sed -n "s/^control id=$id .* $name=\([^ ]*\) .*/\1/p" "$scratch/probe.txt"
  fi
}

# The dialog's client area on the screen from the last probe: x y width height.
gui_client_area() { sed -n 's/^dialog \([0-9-]*\) \([0-9-]*\) \([0-9]*\) \([0-9]*\) .*/\1 \2 \3 \4/p' "$scratch/probe.txt"; }
# Where the keyboard focus was at the last probe: "id=N", "dialog" or "none".
gui_focus() { sed -n 's/^focus //p' "$scratch/probe.txt"; }
# The dialog's title from the last probe.
gui_title() { sed -n 's/^dialog [0-9-]* [0-9-]* [0-9]* [0-9]* //p' "$scratch/probe.txt"; }

# The screen position of a point of control ID: its centre, or X Y pixels into it.
gui_point() {
  local id=$1 rect left top right bottom x0 y0
  rect=$(gui_field "$id" rect)
  [ -n "$rect" ] || fail "no control $id in the last probe"
  IFS=, read -r left top right bottom <<<"$rect"
  read -r x0 y0 _ <<<"$(gui_client_area)"
  echo "$((x0 + ${2:-$(((right - left) / 2))} + left)) $((y0 + ${3:-$(((bottom - top) / 2))} + top))"
}

# A real click on control ID's centre.
gui_click() {
  local x y
  read -r x y <<<"$(gui_point "$1")"
  xdotool mousemove --sync "$x" "$y" click 1
}

# Real key presses (xdotool key names), to the window with the focus.
gui_keys() { xdotool key --delay 80 "$@"; }

# Opens the dialog's system menu with Alt+Space and, once it shows (a second
# window of the program), picks the entry with mnemonic KEY.
gui_system_menu() {
  gui_keys alt+space
  wait_until 10 eval '[ "$(xdotool search --onlyvisible --classname "^imageburner\.exe$" | wc -l)" -gt 1 ]' ||
    fail "the system menu did not open"
  gui_keys "$1"
}

# Saves the window of the last probe (the dialog with its frame, or another
# top-level window) as $scratch/NAME.pnm for pixel reads and as
# screenshots/NAME.png, once it is drawn (more than one colour). The window's
# own X window is read: on the root window of Wine's virtual desktop a dialog
# opened over another shows black.
gui_shot() {
  wait_until 10 gui_try_shot "$1" || fail "the window of screenshot $1 was not drawn"
  pnmtopng "$scratch/$1.pnm" >"$shots/$1.png"
}

gui_try_shot() {
  local title window
  title=$(gui_title | sed 's/[][\.*^$()+?{}|]/\\&/g')
  window=$(xdotool search --name "^$title\$" | head -1)
  [ -n "$window" ] || return 1
  xwd -id "$window" -silent | xwdtopnm 2>/dev/null | pnmdepth 255 >"$scratch/$1.pnm"
  [ "$(ppmhist -noheader "$scratch/$1.pnm" | wc -l)" -gt 1 ]
}

# Control ID's rectangle in a screenshot of the last probe's window: x y width height.
gui_shot_rect() {
  local l t r b x0 y0 frame_left frame_top
  IFS=, read -r l t r b <<<"$(gui_field "$1" rect)"
  read -r x0 y0 _ <<<"$(gui_client_area)"
  read -r frame_left frame_top _ <<<"$(sed -n 's/^frame //p' "$scratch/probe.txt")"
  echo "$((x0 - frame_left + l)) $((y0 - frame_top + t)) $((r - l)) $((b - t))"
}

# The colour at X Y pixels into control ID in screenshot NAME, as RRGGBB.
gui_pixel() {
  local x y
  read -r x y _ <<<"$(gui_shot_rect "$2")"
  # A binary PPM of one pixel ends in its three bytes.
  pnmcut -left "$((x + $3))" -top "$((y + $4))" -width 1 -height 1 "$scratch/$1.pnm" | tail -c 3 | od -An -tx1 |
    tr -d ' \n'
}

# The colours inside control ID in screenshot NAME, M pixels from its edges: "R G B" lines.
gui_colours() {
  local x y width height margin=$3
  read -r x y width height <<<"$(gui_shot_rect "$2")"
  pnmcut -left "$((x + margin))" -top "$((y + margin))" -width "$((width - 2 * margin))" \
    -height "$((height - 2 * margin))" "$scratch/$1.pnm" | ppmhist -noheader | awk '{print $1, $2, $3}'
}

# Fails unless the banner of screenshot NAME reaches its rectangle's right and
# bottom edges: a point just right of the status line's right end and just
# above it (the table puts the banner one unit right of and above the status
# line) shows the picture's dark road, not the light dialog face.
gui_banner_fills() {
  local width colour
  read -r _ _ width _ <<<"$(gui_shot_rect 1018)"
  colour=$(gui_pixel "$1" 1018 "$((width - 3))" -3)
  [[ $colour =~ ^[0-5][0-9a-f][0-5][0-9a-f][0-5][0-9a-f]$ ]] || fail "$1: the banner does not fill its rectangle ($colour)"
}

# Waits until N operations have finished (at most SECONDS), as the service
# log copy ($scratch/service.log) tells; fails at once when a message box
# opens instead.
gui_wait_finished() {
  local count=$1 seconds=$2
  wait_until "$seconds" eval '[ "$(grep -c " finished: " "$scratch/service.log")" -ge "$count" ] ||
    grep -q "  message: " "$scratch/service.log"' || fail "operation $count did not finish"
  if grep -q "  message: " "$scratch/service.log"; then fail "a message box opened"; fi
}

# Status text NAME (kRecorderReady, ...) as the program has it.
status_text() { sed -n "s/.*\b$1 = \"\(.*\)\";.*/\1/p" "$source/src/operation/status_texts.h"; }

# Checks the last probe against expectations "ID FIELD=VALUE" (VALUE may be
# empty) or "title=VALUE"; $1 names the case in the failure.
expect_controls() {
  local case_name=$1 expectation id field want got
  shift
  for expectation; do
    if [[ $expectation == title=* ]]; then
      got=$(gui_title) want=${expectation#title=} field=title id=dialog
    else
      id=${expectation%% *} field=${expectation#* } want=${field#*=} field=${field%%=*}
      got=$(gui_field "$id" "$field")
    fi
    [ "$got" = "$want" ] || fail "$case_name: $id $field is '$got', not '$want'"
  done
}

# Probes the dialog and fails, naming the differences, unless its layout is the table's.
gui_check_layout() { gui_probe "$@" || fail "layout: $(grep '^difference' "$scratch/probe.txt")"; }

# The last status line of the service log copy: "status: TEXT (PERCENT %)".
gui_last_status() { grep "  status: " "$scratch/service.log" | tail -1 | cut -d' ' -f3-; }
