#!/usr/bin/env bash
# Makes the recordings of corpus.txt again against fresh simulated recorders,
# after a change that alters what the program sends on purpose.
# Usage: make-corpus.sh <imageburner-cli> <examples folder>
set -euo pipefail
cli=$(realpath "${1:?usage: $0 <imageburner-cli> <examples folder>}")
examples=$(realpath "${2:?usage: $0 <imageburner-cli> <examples folder>}")
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/imageburner-corpus.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME="$scratch/config"
# The user area's image carries the times of the files packed into it: fixed
# times and zone make it the same in every checkout.
export TZ=UTC
while read -r file mode setup flags command; do
  case "$file" in '#'* | '') continue ;; esac
  work="$scratch/${file%%.*}"
  state="$work-recorder"
  cp -r "$examples" "$work"
  rm -f "$work/userdata.img" "$work/UserAreaFirstSector" "$work/BootArea.bin" "$work/UserArea.bin"
  find "$work" -exec touch -h -d '2026-01-01 12:00:00' {} +
  "$cli" sim init "$state" --mode "$mode" --force >/dev/null
  [ "$setup" = - ] || (cd "$work" && "$cli" --sim "$state" --workdir . "$setup" >/dev/null)
  [ "$flags" = - ] && flags=""
  rm -f "$here/$file"
  # shellcheck disable=SC2086  # the flags' and the command's words
  (cd "$work" && "$cli" --sim "$state" --workdir . --record "$here/$file" $flags $command >/dev/null)
  echo "recorded $file"
done <"$here/corpus.txt"
