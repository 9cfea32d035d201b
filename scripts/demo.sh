#!/usr/bin/env bash
# Sets everything up on a fresh machine and runs the main job: a full update
# of a simulated recorder (fresh, in its boot ROM) from the example working
# folder, then shows what landed where on the recorder. With --gui, opens the
# window on a fresh simulated recorder instead.
set -euo pipefail
gui=0
[ "${1:-}" = "--gui" ] && gui=1
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
targets=(imageburner-cli TreeBaler mergeimg)
[ $gui -eq 1 ] && targets+=(imageburner)
# The Release tree the Debian package is made from: one tree for both.
bash scripts/release-build.sh "${targets[@]}"
cli=build-package/src/imageburner-cli
state=$(mktemp -d "${TMPDIR:-/tmp}/imageburner-recorder.XXXXXX")
"$cli" sim init "$state" --force
if [ $gui -eq 1 ]; then
  echo "The simulated recorder's state folder: $state"
  exec build-package/src/imageburner --sim "$state" --workdir examples
fi
"$cli" --sim "$state" --workdir examples update
"$cli" sim show "$state"
echo "The simulated recorder's state folder: $state"
