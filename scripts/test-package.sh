#!/usr/bin/env bash
# Tests the Debian package as a machine that installs it sees it (run as root,
# on a machine that may install packages): makes it (scripts/package-deb.sh,
# lintian included), installs it with apt-get, checks the manual pages, the
# desktop entry, the AppStream metadata and the udev rule, runs a full update of
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
man -w imageburner-cli > /dev/null && man -w imageburner > /dev/null
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
