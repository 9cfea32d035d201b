# Sourced by scripts/test.sh: times the stages of a run and prints them.
#   stage <name> <command...>  runs the command as one stage; a failing command
#                              ends the script (set -e) with the stage unfinished
#   stage_report               prints every stage: its start, wall-clock time and
#                              the CPU time (user+sys) of its processes
# Stages of a background subshell go to the same log with their own figures.
stage_log=$(mktemp)
stage_run_start=$EPOCHREALTIME
stage_times=$(mktemp -u)

# Writes to $1 the CPU seconds (user+sys) of this shell's ended children:
# `times` runs in this shell itself, since a subshell counts only its own.
stage_children_cpu() {
  times > "$stage_times.$BASHPID"
  awk 'NR == 2 { for (i = 1; i <= 2; i++) { split($i, t, "m"); cpu += t[1] * 60 + t[2] } print cpu }' \
    "$stage_times.$BASHPID" > "$1"
}

stage() {
  local name=$1 start=$EPOCHREALTIME cpu="$stage_times.$BASHPID"
  shift
  stage_children_cpu "$cpu.before"
  printf 'begin\t%s\t%s\n' "$name" "$start" >> "$stage_log"
  "$@"
  stage_children_cpu "$cpu.after"
  printf 'end\t%s\t%s\t%s\n' "$name" "$EPOCHREALTIME" \
    "$(cat "$cpu.before" "$cpu.after" | awk 'NR == 1 { b = $1 } NR == 2 { print $1 - b }')" \
    >> "$stage_log"
}

stage_report() {
  awk -F '\t' -v run_start="$stage_run_start" -v now="$EPOCHREALTIME" '
    $1 == "begin" { order[++n] = $2; begun[$2] = $3 }
    $1 == "end" { ended[$2] = $3; cpu[$2] = $4 }
    END {
      printf "%-34s %8s %8s %8s\n", "stage", "start s", "wall s", "cpu s"
      for (i = 1; i <= n; i++) {
        name = order[i]
        if (name in ended) printf "%-34s %8.0f %8.0f %8.0f\n", name, begun[name] - run_start, ended[name] - begun[name], cpu[name]
        else printf "%-34s %8.0f %8.0f  unfinished\n", name, begun[name] - run_start, now - begun[name]
      }
      printf "%-34s %8s %8.0f\n", "whole run", "", now - run_start
    }' "$stage_log"
}

stage_clean_up() { rm -f "$stage_log" "$stage_times".*; }
