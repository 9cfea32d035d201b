# shellcheck shell=bash
# The harness of the Qt window's tests that run the real program, sourced by
# each: $scratch (removed at exit), an X server of the test's own, `fail`
# showing the files named in $shown_on_failure, and wait_until. A test that
# starts more sets `stop_test` to a function that ends it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/wait_until.sh"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/imageburner-xvfb.XXXXXX")
shown_on_failure=()
xvfb_pid=""
stop_test() { :; }

harness_end() {
  stop_test
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap harness_end EXIT

fail() {
  echo "FAIL: $*"
  local file
  for file in "${shown_on_failure[@]}"; do [ -f "$file" ] && { echo "--- $file"; cat "$file"; }; done
  exit 1
}

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" >"$scratch/xvfb.out" 2>&1 &
xvfb_pid=$!
wait_until 20 test -s "$scratch/display" || fail "Xvfb did not start: $(cat "$scratch/xvfb.out")"
export DISPLAY=":$(head -1 "$scratch/display")"
unset QT_QPA_PLATFORM
