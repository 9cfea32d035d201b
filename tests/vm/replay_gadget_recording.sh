#!/usr/bin/env bash
# Replays on the host the recording that the virtual machine made of a full
# update through the real kernel (scenario update: imageburner-cli without --sim
# against imageburner-sim-gadget), in the corpus' working folder
# (tests/recordings/corpus-folder.sh), where the guest made it. The replay must
# pass: what the program sends does not depend on the recorder being a gadget
# behind usb-storage and sg rather than the in-process simulator.
#
#   replay_gadget_recording.sh IMAGEBURNER_CLI SOURCE_DIR RECORDING
set -euo pipefail
cli=$(realpath "$1")
source_dir=$(realpath "$2")
recording=$3
[ -s "$recording" ] || { echo "no recording at $recording: the virtual machine did not send it"; exit 1; }
recording=$(realpath "$recording")
scratch=$(mktemp -d "${TMPDIR:-/tmp}/imageburner-vm-replay.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME="$scratch/config"
# shellcheck source=../recordings/corpus-folder.sh
source "$source_dir/tests/recordings/corpus-folder.sh"
prepare_corpus_folder "$source_dir/examples" "$scratch/work"

# Made on the real kernel: the volume opened is a SCSI generic node on USB port 1-1, not the simulator's.
gzip -dc "$recording" > "$scratch/recording.jsonl"
if ! grep -qE '"opened":true,"name":"sd[a-z]+ \(/dev/sg[0-9]+, QUB USB_BOOT_ROM\)","portPath":"1-1"' "$scratch/recording.jsonl"; then
    echo "$recording holds no volume opened through the kernel (sdX, /dev/sgN, port 1-1)"
    exit 1
fi
status=0
(cd "$scratch/work" && "$cli" --workdir . --replay "$recording" update) > "$scratch/output" 2>&1 || status=$?
cat "$scratch/output"
if [ "$status" -ne 0 ]; then
    echo "the replay of the recording made through the real kernel ended with exit status $status"
    exit 1
fi
echo "the recording made through the real kernel replays: exit status 0"
