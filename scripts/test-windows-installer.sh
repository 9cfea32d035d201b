#!/usr/bin/env bash
# The Windows installer under Wine, in a fresh prefix of its own: it carries
# no placeholder licence and a version resource; a silent install puts the
# programs (each with its version resource, the window with its icon's sizes),
# the examples, the quick start (CRLF), the Start-menu entry and the uninstall
# entry (with size and folder) in place; the installed program runs a full
# update of a simulated recorder with the installed helper tools; an install
# over the running window waits for it and gives up cleanly, or goes on once
# the window is closed, keeping the user's settings; a silent uninstall leaves
# nothing under Program Files, in the Start menu or in the registry.
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

# The installer's header (its pages, texts and script), decompressed: NSIS
# writes it LZMA-compressed after the "NullsoftInst" signature, as one stream
# without an end mark, which xz decodes but calls cut short.
nsis_header() (
  set +o pipefail  # head ends the reading early
  local start size props dict
  start=$(grep -obUa NullsoftInst "$1" | head -n 1 | cut -d: -f1)
  [ -n "$start" ] || return 1
  # Signature (12 bytes), header length, data length, then the header block's
  # size (the top bit says compressed) and the LZMA properties (5 bytes).
  size=$(od -An -tu4 -j $((start + 20)) -N4 "$1" | tr -d ' '); size=$((size & 0x7fffffff))
  props=$(od -An -tu1 -j $((start + 24)) -N1 "$1" | tr -d ' ')
  dict=$(od -An -tu4 -j $((start + 25)) -N4 "$1" | tr -d ' ')
  tail -c +$((start + 30)) "$1" | head -c $((size - 5)) |
    xz -dc --format=raw --lzma1=lc=$((props % 9)),lp=$((props / 9 % 5)),pb=$((props / 45)),dict=$dict 2>/dev/null
  true
)
# The installer itself: its question to close a running ImageBurner, no
# placeholder licence page, and the version and copyright in its file properties.
header=$(nsis_header "$setup" | strings -el)
grep -q "Close it, then choose Retry" <<<"$header" || fail "the installer does not ask to close a running ImageBurner"
if grep -q "No license provided" <<<"$header"; then fail "the installer shows CPack's placeholder licence"; fi
version=$(basename "$setup" -setup.exe); version=${version#imageburner-}
has_version_resource() {
  strings -el "$1" | grep -x "$version" >/dev/null && strings -el "$1" | grep "^Copyright .* imageburner developers" >/dev/null
}
has_version_resource "$setup" || fail "the installer has no version resource $version with the copyright"

program_files="$WINEPREFIX/drive_c/Program Files/ImageBurner"
start_menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/ImageBurner"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ImageBurner'
registered() { wine reg query "$uninstall_key" /reg:64 >/dev/null 2>&1; }
# The machine's registry keys of ImageBurner's under Software (its vendor's,
# its uninstall entry, 64-bit and 32-bit views), one a line.
imageburner_keys() {
  wine reg export 'HKLM\Software' "$scratch/software.reg" /y >/dev/null 2>&1
  iconv -f UTF-16 -t UTF-8 "$scratch/software.reg" | tr -d '\r' | grep -i '^\[.*imageburner' || true
}

wine "$setup" /S </dev/null >/dev/null 2>&1 || fail "the silent install failed"
wineserver -w
for file in bin/imageburner.exe bin/imageburner-cli.exe bin/TreeBaler.exe bin/mergeimg.exe examples/DiskInfo.ini QuickStart.txt \
            Uninstall.exe; do
  [ -f "$program_files/$file" ] || fail "$file was not installed"
done
for entry in "ImageBurner quick start" ImageBurner; do
  [ -f "$start_menu/$entry.lnk" ] || fail "no Start-menu entry $entry"
done
if grep -qv $'\r$' "$program_files/QuickStart.txt"; then fail "QuickStart.txt has lines without CRLF"; fi
# The installer's name, the version resources and --version tell one version.
for program in imageburner imageburner-cli TreeBaler mergeimg; do
  has_version_resource "$program_files/bin/$program.exe" || fail "$program.exe has no version resource $version"
done
icon_sizes=$(7zz l "$program_files/bin/imageburner.exe" | grep -c '\.rsrc.ICON.')
[ "$icon_sizes" -ge 6 ] || fail "the window's icon holds $icon_sizes pictures, not 16, 24, 32, 48, 64 and 256"
wine "$program_files/bin/imageburner-cli.exe" --version </dev/null | tr -d '\r' |
  grep -qx "imageburner-cli $version\( (commit [0-9a-f]*)\)\?" || fail "--version does not say $version"
registered || fail "no uninstall entry"
for value in EstimatedSize InstallLocation; do
  wine reg query "$uninstall_key" /v "$value" /reg:64 >/dev/null 2>&1 || fail "the uninstall entry has no $value"
done

# From a copy of the installed examples, where no helper tool lies: the
# program finds the installed ones beside itself.
cp -r "$program_files/examples" "$scratch/work"
(
  cd "$scratch/work"
  cli="$program_files/bin/imageburner-cli.exe"
  wine "$cli" sim init recorder </dev/null >/dev/null
  out=$(wine "$cli" --sim recorder update </dev/null) || fail "update: $out"
  grep -q "^fa556608" recorder/commands.log || fail "the update wrote no sectors"

  # The window runs (on an X server of its own): a silent install over it
  # waits for it and then gives up, leaving the installed version as it was.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 & xvfb=$!
  until [ -s "$scratch/display" ]; do sleep 0.2; done
  # The Wine server started without a display ends first: the window's
  # server must draw on this one.
  wineserver -w
  start_window() {
    DISPLAY=":$(head -n 1 "$scratch/display")" wine "$program_files/bin/imageburner.exe" --sim recorder \
      </dev/null >/dev/null 2>&1 & window=$!
    until [[ "$(tr '\0' ' ' < /proc/$window/cmdline 2>/dev/null)" == *"$program_files"* ]]; do sleep 0.2; done
  }
  start_window
  if wine "$setup" /S </dev/null >/dev/null 2>&1; then fail "the installer replaced the running window"; fi
  registered && [ -f "$program_files/bin/imageburner.exe" ] && [ -f "$program_files/Uninstall.exe" ] ||
    fail "an install that gave up changed the installed version"
  # Closed while the install waits, the window is replaced, and the user's
  # settings stay as they were.
  settings="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/imageburner/profile.ini"
  mkdir -p "$(dirname "$settings")"
  printf '[QUBImageBurner]\r\nraw_path=C:\\kept.bin\r\n' > "$settings"
  cp "$settings" "$scratch/settings.before"
  wine "$setup" /S </dev/null >/dev/null 2>&1 & install=$!
  sleep 3
  kill "$window"; wait "$window" || true
  wait "$install" || fail "the install over a window closed while it waited failed"
  cmp -s "$settings" "$scratch/settings.before" || fail "the upgrade changed the user's settings"
  registered || fail "no uninstall entry after the upgrade"
  kill "$xvfb"
  # The SD-card layout of the examples (sif/), which mergeimg finishes.
  wine "$cli" --workdir sif create-sd-image sd.img </dev/null >/dev/null || fail "create-sd-image"
  md5sum --quiet -c <(tr -d '\r' < sd.img.md5) || fail "the SD image does not match its checksum"
)

wine "$program_files/Uninstall.exe" /S </dev/null >/dev/null 2>&1 || fail "the silent uninstall failed"
wineserver -w
[ ! -e "$program_files" ] || fail "left under Program Files: $(find "$program_files")"
[ ! -e "$start_menu" ] || fail "left in the Start menu: $(find "$start_menu")"
! registered || fail "the uninstall entry is left"
left=$(imageburner_keys)
[ -z "$left" ] || fail "the uninstall left registry keys: $left"
echo "test-windows-installer: $(basename "$setup") installs, works and uninstalls silently"
