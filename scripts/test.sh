#!/usr/bin/env bash
# Sets everything up on a fresh machine and runs every test: dependencies,
# a Debug build with AddressSanitizer and UndefinedBehaviorSanitizer, ctest;
# the threads under ThreadSanitizer; the fuzz targets briefly; the Windows flavour under Wine;
# the Debian package and the Windows installer.
# The test builds keep line tables only (-g1): enough for every sanitizer
# report, and a good part of the compile and link time saved.
set -euo pipefail
cd "$(dirname "$0")/.."
# Every flavour's packages at once: one package-list update on a fresh machine.
bash scripts/install-deps.sh --linux --fuzz --windows --package
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
      -DIMAGEBURNER_SANITIZE=ON -DIMAGEBURNER_WERROR=ON
cmake --build build-test

# The real-kernel tier emulates its machine's CPU on one core for about two
# minutes: it runs beside the other tests and the later builds, its report
# printed when it is done.
vm_log=build-test/vm-tier.ctest.log
ctest --test-dir build-test -L '^vm$' --output-on-failure > "$vm_log" 2>&1 &
vm_tier=$!
trap 'kill "$vm_tier" 2>/dev/null || true' EXIT
ctest --test-dir build-test -LE '^vm$' --output-on-failure -j2
build-test/tests/tests_faults | grep "^fault matrix"

# The controller and the operations under ThreadSanitizer: the threads the controller starts.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
      -DIMAGEBURNER_SANITIZE=thread -DIMAGEBURNER_WERROR=ON
cmake --build build-tsan --target tests_app tests_update tests_preparation
ctest --test-dir build-tsan -L '^(app|update|preparation)$' --output-on-failure -j2

# The fuzz targets (clang 14): each over its seed corpus and a few thousand new inputs.
bash scripts/fuzz.sh

# The Windows flavour: cross-built and tested under Wine, with its installer.
bash scripts/test-windows.sh

# The Debian package: made, installed, used and purged.
bash scripts/test-package.sh

echo "real-kernel tier (label vm):"
vm_status=0
wait "$vm_tier" || vm_status=$?
trap - EXIT
if [ "$vm_status" -ne 0 ]; then cat "$vm_log"; exit "$vm_status"; fi
sed -n '/tests passed/,$p' "$vm_log"
