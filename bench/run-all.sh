#!/usr/bin/env bash
# Runs every benchmark from a Release build and prints one table of the results,
# each against its peer as measured in the same run. The benchmarks' own reports
# (every pair, medians, peak memories) go to standard error as they come.
#
#   bench/run-all.sh [build folder = build-release]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-release}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
fi
benches=(sd_image_bench full_update_bench parallel_update_bench tree_baler_bench)
# The window's benchmark where the build has the Qt face.
if grep -q '^Qt6_DIR:PATH=/' "$build/CMakeCache.txt"; then benches+=(ui_responsiveness_bench); fi
cmake --build "$build" --target "${benches[@]}" > /dev/null

started_load=$(cut -d' ' -f1-3 /proc/loadavg)
report=$(mktemp)
trap 'rm -f "$report"' EXIT
status=0
bench() {
  echo "\$ $*" >&2
  "$build/bench/$@" | tee -a "$report" | grep -v '^TABLE|' >&2 || status=1
}
bench sd_image_bench 2048 5
bench full_update_bench engine 64 960 5
bench full_update_bench latency 64 192 3
bench full_update_bench recording 64 192 5
bench parallel_update_bench 4 16 64
bench tree_baler_bench 1024 900 3
if [ -x "$build/bench/ui_responsiveness_bench" ]; then bench ui_responsiveness_bench 64 960; fi

echo "Benchmarks of $(date -u '+%Y-%m-%d %H:%M UTC'), Release build, $(nproc) cores;"
echo "load average $started_load at the start, $(cut -d' ' -f1-3 /proc/loadavg) at the end."
echo
echo "| measurement | imageburner | peer | ratio: median (lowest) | goal | |"
echo "|---|---|---|---|---|---|"
grep '^TABLE|' "$report" | awk -F'|' '{ printf "| %s | %s | %s | %s | %s | %s |\n", $2, $3, $4, $5, $6, $7 }'
exit $status
