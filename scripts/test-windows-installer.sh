#!/usr/bin/env bash
# The Windows installer under Wine, in a fresh prefix of its own: a silent
# install puts the programs, the examples, the quick start, the Start-menu
# entry and the uninstall entry in place; the installed program runs a full
# update of a simulated recorder with the installed helper tools; a silent
# install over a running program stops; a silent
# uninstall leaves nothing under Program Files, in the Start menu or in the
# registry's uninstall list.
# Usage: test-windows-installer.sh <imageburner-<version>-setup.exe>
set -euo pipefail
setup=$(realpath "$1")
scratch=$(mktemp -d)
export WINEPREFIX="$scratch/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
stop_wine() { wineserver -k 2>/dev/null || true; rm -rf "$scratch"; }
trap stop_wine EXIT
fail() { echo "test-windows-installer: $*" >&2; exit 1; }
wineboot --init >/dev/null 2>&1
wineserver -w

program_files="$WINEPREFIX/drive_c/Program Files/ImageBurner"
start_menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/ImageBurner"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ImageBurner'
registered() { wine reg query "$uninstall_key" /reg:64 >/dev/null 2>&1; }

wine "$setup" /S </dev/null >/dev/null 2>&1 || fail "the silent install failed"
wineserver -w
for file in bin/imageburner.exe bin/imageburner-cli.exe bin/TreeBaler.exe bin/mergeimg.exe examples/DiskInfo.ini QuickStart.txt \
            Uninstall.exe; do
  [ -f "$program_files/$file" ] || fail "$file was not installed"
done
for entry in "ImageBurner quick start" ImageBurner; do
  [ -f "$start_menu/$entry.lnk" ] || fail "no Start-menu entry $entry"
done
# The installer's name, the version resource and --version tell one version.
version=$(basename "$setup" -setup.exe); version=${version#imageburner-}
strings -el "$program_files/bin/imageburner-cli.exe" | grep -qx "$version" || fail "no version resource $version"
wine "$program_files/bin/imageburner-cli.exe" --version </dev/null | tr -d '\r' |
  grep -qx "imageburner-cli $version\( (commit [0-9a-f]*)\)\?" || fail "--version does not say $version"
registered || fail "no uninstall entry"

# From a copy of the installed examples, where no helper tool lies: the
# program finds the installed ones beside itself.
cp -r "$program_files/examples" "$scratch/work"
(
  cd "$scratch/work"
  cli="$program_files/bin/imageburner-cli.exe"
  wine "$cli" sim init recorder </dev/null >/dev/null
  out=$(wine "$cli" --sim recorder update </dev/null) || fail "update: $out"
  grep -q "^fa556608" recorder/commands.log || fail "the update wrote no sectors"

  # While the program runs (each command of this probe takes four seconds), a
  # silent install over it stops instead of replacing it.
  sed -i 's/^command_delay_us = .*/command_delay_us = 4000000/' recorder/recorder.ini
  wine "$cli" --sim recorder probe </dev/null >/dev/null & running=$!
  until [[ "$(tr '\0' ' ' < /proc/$running/cmdline)" == "$program_files"* ]]; do sleep 0.2; done
  if wine "$setup" /S </dev/null >/dev/null 2>&1; then fail "the installer replaced a running program"; fi
  wait "$running"
  # The SD-card layout of the examples (sif/), which mergeimg finishes.
  wine "$cli" --workdir sif create-sd-image sd.img </dev/null >/dev/null || fail "create-sd-image"
  md5sum --quiet -c <(tr -d '\r' < sd.img.md5) || fail "the SD image does not match its checksum"
)

wine "$program_files/Uninstall.exe" /S </dev/null >/dev/null 2>&1 || fail "the silent uninstall failed"
wineserver -w
[ ! -e "$program_files" ] || fail "left under Program Files: $(find "$program_files")"
[ ! -e "$start_menu" ] || fail "left in the Start menu: $(find "$start_menu")"
! registered || fail "the uninstall entry is left"
echo "test-windows-installer: $(basename "$setup") installs, works and uninstalls silently"
