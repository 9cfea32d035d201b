# shellcheck shell=bash
# Shared by the window tests' shell harnesses.

# Runs the command until it succeeds, at most SECONDS long.
wait_until() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}
