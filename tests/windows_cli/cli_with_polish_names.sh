#!/usr/bin/env bash
# The Windows command-line program and its helper tools, run through the
# emulator (Wine) with file names outside ASCII in every folder below the
# scratch root "próba ż": a working folder "Zdjęcia", a state folder "stan
# rejestratora ż", TMPDIR "tymczasowe ś" (where the power-on bitmap is
# converted), a file "łódź.bin" inside the folder packed into the FAT
# partition, a raw image "obraz ż.bin", and an SD image written to "wyniki
# źródło/karta pamięci.bin" from the current folder. Every name must reach the
# files as it was typed, and the FAT long name must hold the file's name in
# UTF-16.
# Usage: cli_with_polish_names.sh <emulator> <imageburner-cli.exe> <examples folder>
set -euo pipefail
emulator=$1 cli=$2 examples=$3
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
scratch="$root/próba ż"
mkdir "$scratch"
cd "$scratch"
export TMPDIR="$scratch/tymczasowe ś"
mkdir "$TMPDIR"
work="Zdjęcia" state="stan rejestratora ż"
cp -r "$examples" "$work"
printf 'zawartość' > "$work/userdata/łódź.bin"
run() { "$emulator" "$cli" "$@" </dev/null; }
fail() { echo "FAIL: $*"; exit 1; }

# The settings read from the working folder's DiskInfo.ini are those of the
# same folder under a plain name.
cp -r "$examples" plain
settings() { run --workdir "$1" settings | tr -d '\r' | grep -v '^working_directory\|^configuration'; }
[ "$(settings "$work")" = "$(settings plain)" ] || fail "settings differ: $(settings "$work")"

run sim init "$state" --mode bootrom >/dev/null || fail "sim init"
[ -f "$state/recorder.ini" ] || fail "no state folder named $state: $(ls)"

out=$(run --sim "$state" --workdir "$work" update 2>&1) || fail "update: $out"
[ "$(printf '%s\n' "$out" | tail -n1 | tr -d '\r')" = "Burn-in Boot process done ....." ] || fail "update said: $out"
# The FAT partition (entry 10: sectors 16384 on, 16384 of them) holds the
# first long-name part of "łódź.bin": "łódź." in UTF-16LE.
dd if="$state/storage-2-area-0.img" of=partition.img bs=512 skip=16384 count=16384 status=none
LC_ALL=C grep -qaP '\x42\x01\xf3\x00\x64\x00\x7a\x01\x2e\x00' partition.img ||
  fail "no long name \"łódź.bin\" in the FAT partition"

out=$(run --sim "$state" --workdir "$work" raw-write "obraz ż.bin" 2>&1) && fail "raw-write of a missing file: $out"
printf '%s\n' "$out" | grep -q "Cannot find .*obraz ż.bin" || fail "raw-write named the missing file: $out"
head -c 4096 /dev/urandom > "obraz ż.bin"
out=$(run --sim "$state" --workdir "$work" raw-write "obraz ż.bin" 2>&1) || fail "raw-write: $out"
cmp -n 4096 "obraz ż.bin" "$state/storage-3-area-0.img" || fail "the raw image is not at sector 0"

mkdir "wyniki źródło"
out=$(run --workdir "$work/sif" create-sd-image "wyniki źródło/karta pamięci.bin" 2>&1) ||
  fail "create-sd-image: $out"
[ -f "wyniki źródło/karta pamięci.bin" ] || fail "no \"karta pamięci.bin\": $(ls "wyniki źródło")"
(cd "wyniki źródło" && md5sum -c "karta pamięci.bin.md5" >/dev/null) || fail "the checksum file does not verify"
[ ! -e "$work/sif/SD_RoadVTemp.bin" ] || fail "the intermediate image was left behind"
