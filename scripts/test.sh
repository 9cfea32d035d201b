#!/usr/bin/env bash
# Sets everything up on a fresh machine and runs every test: dependencies,
# a Debug build with AddressSanitizer and UndefinedBehaviorSanitizer, ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DIMAGEBURNER_SANITIZE=ON -DIMAGEBURNER_WERROR=ON
cmake --build build-test
ctest --test-dir build-test --output-on-failure -j2
