#!/usr/bin/env bash
# Sets everything up on a fresh machine and runs the main job: a full update
# of a simulated recorder (fresh, in its boot ROM) from the example working
# folder, then shows what landed where on the recorder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build-release --target imageburner-cli TreeBaler mergeimg
cli=build-release/src/imageburner-cli
state=$(mktemp -d "${TMPDIR:-/tmp}/imageburner-recorder.XXXXXX")
"$cli" sim init "$state" --force
"$cli" --sim "$state" --workdir examples update
"$cli" sim show "$state"
echo "The simulated recorder's state folder: $state"
