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
# shellcheck source=corpus-folder.sh
source "$here/corpus-folder.sh"
while read -r file mode setup flags command; do
  case "$file" in '#'* | '') continue ;; esac
  if [ "$mode" = gadget ]; then
    echo "kept $file: made through the real kernel (ctest -L vm makes it again in <build>/vm-tier/files/)"
    continue
  fi
  work="$scratch/${file%%.*}"
  state="$work-recorder"
  prepare_corpus_folder "$examples" "$work"
  "$cli" sim init "$state" --mode "$mode" --force >/dev/null
  [ "$setup" = - ] || (cd "$work" && "$cli" --sim "$state" --workdir . "$setup" >/dev/null)
  [ "$flags" = - ] && flags=""
  rm -f "$here/$file"
  # shellcheck disable=SC2086  # the flags' and the command's words
  (cd "$work" && "$cli" --sim "$state" --workdir . --record "$here/$file" $flags $command >/dev/null)
  echo "recorded $file"
done <"$here/corpus.txt"
