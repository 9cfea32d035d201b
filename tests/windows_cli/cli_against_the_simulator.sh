#!/usr/bin/env bash
# The Windows command-line program, run through the emulator (Wine) against
# the simulated recorder: init, probe, sync, update without the user area,
# read-boot-area; the command log must hold what the recorder received, in
# whole LF-ended lines. The folder names hold blanks, which must reach the
# program as parts of one argument each.
# Usage: cli_against_the_simulator.sh <emulator> <imageburner-cli.exe> <examples folder>
set -euo pipefail
emulator=$1 cli=$2 examples=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
cp -r "$examples" "work dir"
state="recorder state"
run() { "$emulator" "$cli" "$@" </dev/null; }
fail() { echo "FAIL: $*"; exit 1; }

run sim init "$state" --mode bootrom >/dev/null || fail "sim init"
[ -f "$state/recorder.ini" ] || fail "no state folder named $state"
run --sim "$state" probe | grep -q "mode 1 (boot ROM)" || fail "probe"

out=$(run --sim "$state" --workdir "work dir" sync) || fail "sync: $out"
[ "$(printf '%s\n' "$out" | tail -n1 | tr -d '\r')" = "Device Sync. success !!" ] || fail "sync said: $out"
# probe: INQUIRY and identify; sync: the same, the updater downloaded and
# started, then the recorder found again.
expected_sync='120000002400 in 36 ok
fa556601000000000000000000000000 in 16 ok
120000002400 in 36 ok
fa556601000000000000000000000000 in 16 ok
fa556602003000000000000000000000 out 24576 ok
fa556603000000000000000000000000 none 0 ok
120000002400 in 36 ok
fa556601000000000000000000000000 in 16 ok'
[ "$(cat "$state/commands.log")" = "$expected_sync" ] || fail "command log after sync: $(cat "$state/commands.log")"

out=$(run --sim "$state" --workdir "work dir" --configure-user-area 0 update) || fail "update: $out"
[ "$(printf '%s\n' "$out" | tail -n1 | tr -d '\r')" = "Burn-in Boot process done ....." ] || fail "update said: $out"
grep -q "^fa556608" "$state/commands.log" || fail "update wrote no sectors"

run --sim "$state" --workdir "work dir" read-boot-area 0 4 >/dev/null || fail "read-boot-area"
[ "$(stat -c %s "work dir/BootArea.bin")" = 2048 ] || fail "BootArea.bin is not 4 sectors"
# The four sectors read from the boot area, then the user area selected again.
expected_read='fa556607000000000004000000000000 in 2048 ok
fa556606020000000000000000000000 in 4 ok'
[ "$(tail -n2 "$state/commands.log")" = "$expected_read" ] || fail "last commands: $(tail -n2 "$state/commands.log")"
if grep -q $'\r' "$state/commands.log"; then fail "CR in the command log"; fi
