#!/usr/bin/env bash
# Sets everything up on a fresh machine and runs every test: dependencies,
# a Debug build with AddressSanitizer and UndefinedBehaviorSanitizer, ctest;
# the threads under ThreadSanitizer; the fuzz targets briefly; the Windows flavour under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DIMAGEBURNER_SANITIZE=ON -DIMAGEBURNER_WERROR=ON
cmake --build build-test
ctest --test-dir build-test --output-on-failure -j2
build-test/tests/tests_faults | grep "^fault matrix"
# The controller and the operations under ThreadSanitizer: the threads the controller starts.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DIMAGEBURNER_SANITIZE=thread -DIMAGEBURNER_WERROR=ON
cmake --build build-tsan --target tests_app tests_update tests_preparation
ctest --test-dir build-tsan -L '^(app|update|preparation)$' --output-on-failure -j2
# The fuzz targets (clang 14): each over its seed corpus and a few thousand new inputs.
bash scripts/fuzz.sh
# The Windows flavour: cross-built and tested under Wine.
bash scripts/test-windows.sh
