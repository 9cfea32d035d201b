#!/usr/bin/env bash
# Tests the Debian package as a machine that installs it sees it (run as root,
# on a machine that may install packages): makes it (scripts/package-deb.sh,
# lintian included), installs it with apt-get, checks the manual pages, the
# desktop entry, the AppStream metadata and the udev rule's reach, runs a full update of
# a simulated recorder as an unprivileged user from a copy of the installed
# examples with the installed program and helper tools, then purges it and
# checks that nothing of it is left.
set -euo pipefail
cd "$(dirname "$0")/.."
package=$(bash scripts/package-deb.sh | tail -n 1)

# Every place the package writes to, with dpkg's record of it; the caches that
# triggers rewrite are the system's and stay.
places=(/usr/bin /usr/libexec /usr/lib/udev/rules.d /usr/share/applications /usr/share/icons/hicolor
        /usr/share/metainfo /usr/share/man/man1 /usr/share/doc /etc /var/lib/dpkg/info)
file_list() { find "${places[@]}" -not -name '*.cache' 2>/dev/null | sort; }
before=$(mktemp) after=$(mktemp) home=$(mktemp -d)
# A failed check leaves the machine without the package, too.
clean_up() {
  if dpkg-query -W imageburner >/dev/null 2>&1; then apt-get purge -y -qq imageburner >/dev/null; fi
  rm -rf "$before" "$after" "$home"
}
trap clean_up EXIT
file_list > "$before"

export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq --no-install-recommends "$PWD/$package" > /dev/null
fail() { echo "test-package: $*" >&2; exit 1; }
[ -x /usr/libexec/imageburner/TreeBaler ] && [ -x /usr/libexec/imageburner/mergeimg ] ||
  fail "the helper tools are not in /usr/libexec/imageburner"
[ -f /usr/lib/udev/rules.d/70-imageburner-recorder.rules ] || fail "the udev rule is not in /usr/lib/udev/rules.d"
# Each manual page as a person sees it at 80 columns: its own title and NAME,
# its sections, and a footer whose version and date stand apart.
for page in imageburner imageburner-cli; do
  text=$(MANWIDTH=80 man --pager=cat "$page" 2>&1)
  title="${page^^}(1)"
  [[ "$(head -n 1 <<<"$text")" =~ ^"$title"\ .*\ "$title"$ ]] || fail "man $page: the title line is $(head -n 1 <<<"$text")"
  grep -A1 -x NAME <<<"$text" | grep -Eqx " +$page +- +.*" || fail "man $page: no NAME line for $page"
  for section in FILES "SEE ALSO"; do grep -qx "$section" <<<"$text" || fail "man $page: no $section"; done
  [[ "$(tail -n 1 <<<"$text")" =~ ^imageburner\ [0-9.]+\ {2,}[A-Z][a-z]+\ [0-9]{4}\ {2,}"$title"$ ]] ||
    fail "man $page: the footer is $(tail -n 1 <<<"$text")"
done
MANWIDTH=80 man --pager=cat imageburner-cli | grep -x "       read-register ADDR" >/dev/null || fail "man imageburner-cli lists no command arguments"

# What a udev rules file assigns to one device: a small evaluator of the rule
# forms it uses (KEY=="glob|glob", KEY!="...", GOTO, LABEL, TAG+=, ENV{}=),
# given the device as KEY=value lines on standard input ("SUBSYSTEM=block",
# "ATTRS{vendor}=QUB     "). Prints each assignment made, one a line.
rule_assignments() {
  awk -v rules="$1" '
    function glob_matches(value, patterns,    n, alternatives, i, re) {
      n = split(patterns, alternatives, "|")
      if (patterns == "") return value == ""
      for (i = 1; i <= n; i++) {
        re = alternatives[i]; gsub(/[.+^$(){}]/, "\\\\&", re); gsub(/\*/, ".*", re); gsub(/\?/, ".", re)
        if (value ~ ("^" re "$")) return 1
      }
      return 0
    }
    { eq = index($0, "="); device[substr($0, 1, eq - 1)] = substr($0, eq + 1) }
    END {
      while ((getline line < rules) > 0) {
        if (line ~ /^[ \t]*(#|$)/) continue
        if (skipping != "") { if (line ~ ("LABEL=\"" skipping "\"")) skipping = ""; continue }
        n = split(line, keys, /", */); matched = 1; count = 0
        for (i = 1; i <= n && matched; i++) {
          if (!match(keys[i], /(==|!=|\+=|=)"/)) continue
          key = substr(keys[i], 1, RSTART - 1); op = substr(keys[i], RSTART, RLENGTH - 1)
          value = substr(keys[i], RSTART + RLENGTH); sub(/"$/, "", value)
          if (op == "==" || op == "!=") matched = (glob_matches(device[key], value) == (op == "=="))
          else if (key == "GOTO") goto_label = value
          else if (key != "LABEL") { actions[++count] = key op "\"" value "\""; values[count] = value }
        }
        if (!matched) continue
        for (i = 1; i <= count; i++) {
          print actions[i]
          if (actions[i] !~ /^[^=]*\+=/) device[substr(actions[i], 1, index(actions[i], "=") - 1)] = values[i]
        }
        if (goto_label != "") { skipping = goto_label; goto_label = "" }
      }
    }'
}
# Only the recorder's SCSI generic nodes are given to the user at the seat;
# disks and partitions, the recorder's among them, and other card readers keep
# what the desktop does with them.
rule=/usr/lib/udev/rules.d/70-imageburner-recorder.rules
while IFS='|' read -r subsystem vendor model expected; do
  made=$(printf 'ACTION=add\nSUBSYSTEM=%s\nATTRS{vendor}=%s\nATTRS{model}=%s\n' "$subsystem" "$vendor" "$model" |
         rule_assignments "$rule" | tr '\n' ' ')
  [ "$made" = "$expected" ] || fail "the udev rule gives $subsystem '$vendor' '$model': '$made', not '$expected'"
done <<'DEVICES'
scsi_generic|QUB     |USB BOOT ROM    |TAG+="uaccess" 
scsi_generic|QUB|CARD READER|TAG+="uaccess" 
scsi_generic|        |CARD READER     |TAG+="uaccess" 
scsi_generic||CARD_READER|TAG+="uaccess" 
scsi_generic|TB715KWN|STORAGE         |TAG+="uaccess" 
scsi_generic|Generic |CARD READER     |
scsi_generic|        |USB DISK        |
block|QUB     |CARD READER     |
block|QUB     |USB BOOT ROM    |
block|        |CARD READER     |
block|TB715KWN|STORAGE         |
DEVICES
desktop-file-validate /usr/share/applications/imageburner.desktop
appstreamcli validate --no-net --pedantic /usr/share/metainfo/io.github.imageburner.ImageBurner.metainfo.xml > /dev/null

# A user without rights and without the build: only what the package installed.
# The temporary folder is the user's own: the program's fixed-name temporary
# files in /tmp may be left there by other users.
chmod 755 "$home"
cp -r /usr/share/doc/imageburner/examples "$home/work"
chown -R nobody:nogroup "$home"
as_user() { (cd "$home" && setpriv --reuid=nobody --regid=nogroup --clear-groups \
  env -i HOME="$home" TMPDIR="$home" PATH=/usr/bin:/bin "$@"); }
as_user imageburner-cli --version | grep -qx "imageburner-cli $(dpkg-query -W -f='${Version}' imageburner)\( (commit [0-9a-f]*)\)\?" ||
  fail "--version does not name the package's version"
as_user imageburner-cli sim init "$home/recorder" > /dev/null
as_user imageburner-cli --sim "$home/recorder" --workdir "$home/work" update > "$home/update.log" ||
  { cat "$home/update.log"; fail "the installed program's full update failed"; }
# The SD-card layout of the examples, which mergeimg finishes.
as_user imageburner-cli --workdir "$home/work/sif" create-sd-image "$home/sd.img" > /dev/null
(cd "$home" && md5sum --quiet -c sd.img.md5) || fail "the SD image does not match its checksum"

apt-get purge -y -qq imageburner > /dev/null
file_list > "$after"
diff -u "$before" "$after" || fail "the purge left the files above behind"
echo "test-package: $package installs, works and purges cleanly"
