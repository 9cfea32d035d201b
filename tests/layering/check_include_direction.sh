#!/usr/bin/env bash
# Includes run one way: faces -> app -> operations (update, then bootarea and
# userarea, then device preparation) -> operation framework -> command layer
# -> seams. Each source folder lists the project folders it must
# never include from; a violation prints the file, the line and the rule.
# Usage: check_include_direction.sh <src folder>
set -euo pipefail
src=${1:?usage: $0 <src folder>}

faces="cli ui win32"
outer="$faces app platform sim"
operations="update bootarea userarea preparation"
declare -A forbidden=(
  [seams]="$outer $operations operation config device"
  [config]="$outer $operations operation"
  [device]="$outer $operations operation config"
  [operation]="$outer $operations"
  [preparation]="$outer update bootarea userarea"
  [bootarea]="$outer update"
  [userarea]="$outer update"
  [update]="$outer"
  [sim]="$faces app platform $operations operation config"
  [record]="$outer $operations operation config"
  [platform]="$faces app sim $operations operation"
  [app]="$faces"
)

status=0
for folder in "${!forbidden[@]}"; do
  [ -d "$src/$folder" ] || continue
  for target in ${forbidden[$folder]}; do
    if hits=$(grep -rnE "^#include \"$target/" "$src/$folder" --include='*.h' --include='*.cpp'); then
      echo "$folder must not include $target/:"
      echo "$hits" | sed "s|^$src/|  |"
      status=1
    fi
  done
done
[ $status -eq 0 ] && echo "includes run one way"
exit $status
