#!/bin/sh
# Prints the COMMANDS section of a manual page in help2man's include format:
# every command of <program> (and every command of a command that has its own,
# such as "sim init") with its arguments, its description and its options, all
# taken from the program's own "<command> --help", so that the page cannot say
# anything else. Usage: manual_commands.sh <program> <output file>
set -eu
program=$1
exec > "$2"

# The commands a --help output lists under "Subcommands:".
commands_in() {
  awk '/^Subcommands:/ { listing = 1; next } listing && /^  [^ ]/ { print $1 } listing && /^$/ { exit }'
}

# One command as roff: its usage line without the program's path as the tag,
# then its description, then its arguments and options (all but --help).
command_entry() {
  "$program" "$@" --help | awk -v name="$*" '
    function roff(text) { gsub(/\\/, "\\e", text); gsub(/-/, "\\-", text); return text }
    NR == 1 { about = $0; next }
    /^Usage: / {
      sub(/^Usage: [^ ]* /, ""); sub(/\[OPTIONS\] ?/, ""); sub(name, ""); sub(/^ +/, "")
      printf ".TP\n.B %s\n", roff(name (length($0) ? " " $0 : ""))
      printf "%s.\n", roff(about); next
    }
    /^(Positionals|Options):/ { items = 1; next }
    /^Subcommands:/ { exit }
    !items || /^  -h,--help/ || /^$/ { next }
    /^  [^ ]/ {
      line = substr($0, 3); split(line, parts, /  +/)
      if (!opened) { print ".RS"; opened = 1 }
      printf ".TP\n.B %s\n", roff(parts[1])
      rest = line; sub(/^[^ ]+( [^ ]+)*  +/, "", rest)
      if (rest != line) print roff(rest)
      next
    }
    { sub(/^ +/, ""); print roff($0) }
    END { if (opened) print ".RE" }'
}

echo "[COMMANDS]"
for command in $("$program" --help | commands_in); do
  subcommands=$("$program" "$command" --help | commands_in)
  if [ -z "$subcommands" ]; then
    command_entry "$command"
  else
    for subcommand in $subcommands; do command_entry "$command" "$subcommand"; done
  fi
done
