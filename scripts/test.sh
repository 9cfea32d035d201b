#!/usr/bin/env bash
# Sets everything up on a fresh machine and runs every test: dependencies,
# a Debug build with AddressSanitizer and UndefinedBehaviorSanitizer, ctest;
# the threads under ThreadSanitizer; the fuzz targets briefly; the Windows flavour under Wine;
# the Debian package and the Windows installer. Prints each stage's time last.
# The test builds keep line tables only (-g1): enough for every sanitizer
# report, and a good part of the compile and link time saved.
# Each flavour is built once: the packages are made from the trees the tests
# ran on (Windows) or from the one Release tree (Debian). The trees the later
# stages need are built in the background at the lowest priority, on the cores
# the tests leave idle (waits on X servers and Wine, the virtual machine's one
# core); a stage that needs a tree waits for it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/stage-times.sh
background=build-test/background
finish() {
  local status=$?
  local group
  for group in ${vm_tier:-} ${builder:-}; do kill -- "-$group" 2>/dev/null || true; done
  stage_report
  stage_clean_up
  exit "$status"
}
trap finish EXIT

# Every flavour's packages at once: one package-list update on a fresh machine.
stage "dependencies" bash scripts/install-deps.sh --linux --fuzz --windows --package
# ccache where installed (the Windows and package flavours install it): on a
# machine that ran the tests before, most of every tree comes from its cache.
if command -v ccache >/dev/null; then export CMAKE_CXX_COMPILER_LAUNCHER=ccache; fi
stage "sanitizer configure" cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
      -DIMAGEBURNER_SANITIZE=ON -DIMAGEBURNER_WERROR=ON

# The background builds, one after another, each marked done in $background.
build_tsan() {
  cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
        -DIMAGEBURNER_SANITIZE=thread -DIMAGEBURNER_WERROR=ON
  cmake --build build-tsan --target tests_app tests_update tests_preparation
}
build_in_background() {
  local tree=$1
  shift
  stage "build: $tree (background)" "$@"
  touch "$background/$tree.done"
}
rm -rf "$background"
mkdir -p "$background"
# Each background job in a process group of its own (set -m), so that a failed
# run stops the whole job.
set -m
(
  renice -n 19 "$BASHPID" >/dev/null
  export CMAKE_BUILD_PARALLEL_LEVEL=2
  build_in_background tsan build_tsan
  build_in_background fuzz bash scripts/fuzz.sh --build-only
  build_in_background windows bash scripts/test-windows.sh --build-only
  build_in_background package bash scripts/release-build.sh imageburner_package_contents
) < /dev/null > "$background/builds.log" 2>&1 &
builder=$!
set +m
# Waits until the background builder has built the tree $1.
await_tree() {
  while [ ! -f "$background/$1.done" ]; do
    if ! kill -0 "$builder" 2>/dev/null && [ ! -f "$background/$1.done" ]; then
      tail -n 50 "$background/builds.log"
      echo "test: the background build of $1 failed (log: $background/builds.log)" >&2
      return 1
    fi
    sleep 1
  done
}

stage "sanitizer build" cmake --build build-test

# The real-kernel tier emulates its machine's CPU on one core for about two
# minutes: it runs beside the other tests and the later builds, its report
# printed when it is done.
vm_log=build-test/vm-tier.ctest.log
set -m
(stage "real-kernel tier (background)" ctest --test-dir build-test -L '^vm$' --output-on-failure) < /dev/null > "$vm_log" 2>&1 &
vm_tier=$!
set +m
linux_tests() {
  ctest --test-dir build-test -LE '^vm$' --output-on-failure -j2
  build-test/tests/tests_faults | grep "^fault matrix"
}
stage "sanitizer tests" linux_tests

# The controller and the operations under ThreadSanitizer: the threads the controller starts.
stage "thread sanitizer: wait for build" await_tree tsan
stage "thread sanitizer tests" ctest --test-dir build-tsan -L '^(app|update|preparation)$' --output-on-failure -j2

# The fuzz targets (clang 14): each over its seed corpus and a few thousand new inputs.
stage "fuzz: wait for build" await_tree fuzz
stage "fuzz runs" bash scripts/fuzz.sh

# The Windows flavour: tested under Wine, then its installer made and tested.
stage "windows: wait for build" await_tree windows
stage "windows tests and installer" bash scripts/test-windows.sh

# The Debian package: made, installed, used and purged.
stage "debian package: wait for build" await_tree package
stage "debian package test" bash scripts/test-package.sh

echo "real-kernel tier (label vm):"
vm_status=0
wait "$vm_tier" || vm_status=$?
if [ "$vm_status" -ne 0 ]; then cat "$vm_log"; exit "$vm_status"; fi
sed -n '/tests passed/,$p' "$vm_log"
wait "$builder"
