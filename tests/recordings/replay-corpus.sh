#!/usr/bin/env bash
# Replays every recording of corpus.txt with the command it was made with, in
# a fresh copy of the example working folder; fails at the first replay that
# does not pass, with what the program said.
# Usage: replay-corpus.sh <imageburner-cli> <examples folder>
set -euo pipefail
cli=$(realpath "${1:?usage: $0 <imageburner-cli> <examples folder>}")
examples=$(realpath "${2:?usage: $0 <imageburner-cli> <examples folder>}")
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/imageburner-replay.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME="$scratch/config"
# shellcheck source=corpus-folder.sh
source "$here/corpus-folder.sh"
status=0
while read -r file _mode _setup _flags command; do
  case "$file" in '#'* | '') continue ;; esac
  work="$scratch/${file%%.*}"
  prepare_corpus_folder "$examples" "$work"
  # shellcheck disable=SC2086  # the command's words
  if (cd "$work" && "$cli" --workdir . --replay "$here/$file" $command) >"$scratch/output" 2>&1; then
    echo "replayed $file"
  else
    echo "FAILED $file ($command):"
    cat "$scratch/output"
    status=1
  fi
done <"$here/corpus.txt"
exit $status
