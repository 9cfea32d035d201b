#!/usr/bin/env bash
# Builds the libFuzzer targets (clang 14, AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs each one over its seed
# corpus in fuzz/corpus/<name>/ and then for a fixed number of new inputs.
# Prints one line per target; fails when any target finds a crash, a leak, a
# hang (10 s), more than 512 MB of memory or a single allocation above 256 MB.
#   bash scripts/fuzz.sh             a few seconds per target (CI)
#   bash scripts/fuzz.sh --long [N]  N runs per target (default 10,000,000),
#                                    shared among one job per core
#   bash scripts/fuzz.sh --build-only  builds the targets and stops
# What a run finds is kept in build-fuzz/findings/ (crash-*, leak-*, timeout-*,
# oom-*); replay one with build-fuzz/fuzz/<name>_fuzzer <file>. New inputs go
# to build-fuzz/grown/<name>/, never into the seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=10000
jobs=1
if [ "${1:-}" = "--long" ]; then
  runs="${2:-10000000}"
  jobs="$(nproc)"
fi

bash scripts/install-deps.sh --fuzz
cmake -S . -B build-fuzz -G Ninja -DIMAGEBURNER_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_BUILD_TYPE= -DCMAKE_CXX_FLAGS="-O1 -gline-tables-only" -DIMAGEBURNER_WERROR=ON >/dev/null
cmake --build build-fuzz
[ "${1:-}" = "--build-only" ] && exit 0

# The targets write their inputs to files: a memory file system keeps that
# from dominating the run time.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

findings="$PWD/build-fuzz/findings"
mkdir -p "$findings"
limits=(-rss_limit_mb=512 -malloc_limit_mb=256 -timeout=10)
failed=0
root="$PWD"
for fuzzer in build-fuzz/fuzz/*_fuzzer; do
  name="$(basename "$fuzzer" _fuzzer)"
  grown="$PWD/build-fuzz/grown/$name"
  logs="$PWD/build-fuzz/logs/$name"
  rm -rf "$logs"
  mkdir -p "$grown" "$logs"
  args=("${limits[@]}" -print_final_stats=1 -artifact_prefix="$findings/$name-" "$grown" "$PWD/fuzz/corpus/$name")
  status=0
  if [ "$jobs" -gt 1 ]; then
    # Each job runs its share; libFuzzer writes one log per job into the working folder.
    (cd "$logs" && "$root/$fuzzer" -jobs="$jobs" -workers="$jobs" -runs=$((runs / jobs)) "${args[@]}" \
      >"$logs/main.log" 2>&1) || status=$?
  else
    "$fuzzer" -seed=1 -runs="$runs" "${args[@]}" >"$logs/fuzz-0.log" 2>&1 || status=$?
  fi
  executions="$( (cat "$logs"/fuzz-*.log 2>/dev/null || true) | sed -n 's/^stat::number_of_executed_units: *//p' |
                awk '{ total += $1 } END { print total + 0 }')"
  if [ "$status" -eq 0 ] && ! grep -qE 'ERROR: (libFuzzer|AddressSanitizer|LeakSanitizer)|runtime error' "$logs"/*.log; then
    echo "fuzz $name: $executions executions, no crash, no leak"
  else
    echo "fuzz $name: $executions executions, FAILED (logs in $logs, inputs in $findings)"
    failed=1
  fi
done
exit "$failed"
