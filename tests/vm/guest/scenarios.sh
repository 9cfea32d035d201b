# The scenarios the virtual machine runs: imageburner-cli without --sim against
# the simulated recorder on a real USB bus (imageburner-sim-gadget on dummy_hcd).
# Each scenario prints "@@ scenario NAME", every command line it runs with its
# output and "exit status N, T s", "check WHAT: ok" or "check WHAT: FAILED"
# lines, the gadget's log, and "@@ end NAME". The host asserts on that text.

# prepare_corpus_folder: the scenarios run in the recording corpus' working folder,
# so that the update's recording replays on the host in the same folder.
. /corpus-folder.sh

CLI=/ib/src/imageburner-cli
GADGET=/ib/src/imageburner-sim-gadget
STATE=/tmp/recorder
WORK=/tmp/work
GADGET_PID=
GADGET_LOG=
GADGET_RUNS=0
# A run that would hang is cut off here and shows up as exit status 143.
CLI_TIME_LIMIT=150

cli() {
    echo "\$ imageburner-cli $*"
    started=$(date +%s)
    (cd "$WORK" && timeout "$CLI_TIME_LIMIT" "$CLI" "$@" > /tmp/cli.out 2>&1)
    status=$?
    cat /tmp/cli.out
    echo "exit status $status, $(( $(date +%s) - started )) s"
    if [ "$status" -ne 0 ] && [ -e "$STATE/commands.log" ]; then
        echo "the recorder's last commands:"
        tail -n 4 "$STATE/commands.log" | sed 's/^/  /'
    fi
}

check() {
    what=$1
    shift
    if "$@" > /tmp/check.out 2>&1; then
        echo "check $what: ok"
    else
        echo "check $what: FAILED"
        head -n 5 /tmp/check.out
    fi
}

wait_until() {
    tenths=$(( $1 * 10 ))
    shift
    while ! "$@"; do
        tenths=$(( tenths - 1 ))
        [ "$tenths" -le 0 ] && return 1
        sleep 0.1
    done
}

# A USB disk with both its block device and its SCSI generic node.
usb_disk_ready() {
    for disk in /sys/block/sd*; do
        [ -e "$disk/device/scsi_generic" ] && return 0
    done
    return 1
}

# Both recorders of update-all are there, each with its block device and SCSI generic node.
two_usb_disks_ready() {
    ready=0
    for disk in /sys/block/sd*; do
        [ -e "$disk/device/scsi_generic" ] && ready=$(( ready + 1 ))
    done
    [ "$ready" -ge 2 ]
}

no_usb_disk() { ! ls -d /sys/block/sd* > /dev/null 2>&1; }

start_gadget() {
    GADGET_RUNS=$(( GADGET_RUNS + 1 ))
    GADGET_LOG=/tmp/gadget-$GADGET_RUNS.log
    echo "\$ imageburner-sim-gadget $STATE $*"
    "$GADGET" "$STATE" "$@" > "$GADGET_LOG" 2>&1 &
    GADGET_PID=$!
    wait_until 30 usb_disk_ready || echo "check the recorder's disk appears: FAILED"
}

stop_gadget() {
    kill -TERM "$GADGET_PID"
    wait "$GADGET_PID"
    gadget_status=$?
    check "the gadget ended cleanly" [ "$gadget_status" -eq 0 ]
    # Its log holds the reason, a sanitizer's report included.
    [ "$gadget_status" -eq 0 ] || cat "$GADGET_LOG"
    wait_until 30 no_usb_disk || echo "check the recorder's disk goes away: FAILED"
}

show_gadget_log() { cat "$GADGET_LOG"; }

# The two recorders of update-all: each its own state folder, serial, gadget name and
# device controller (dummy_hcd is loaded with two), so each sits on a bus of its own: 1-1, 2-1.
PAIR_PIDS=
start_gadget_pair() {
    PAIR_PIDS=
    for which in 1 2; do
        state=/tmp/recorder-$which
        "$CLI" sim init "$state" --mode bootrom --serial "SIM000$which" > /dev/null
        set -- "$state" --udc "dummy_udc.$(( which - 1 ))" --name "recorder$which" --serial "SIM000$which"
        echo "\$ imageburner-sim-gadget $*"
        "$GADGET" "$@" > "/tmp/gadget-pair-$which.log" 2>&1 &
        PAIR_PIDS="$PAIR_PIDS $!"
    done
    wait_until 30 two_usb_disks_ready || echo "check both recorders' disks appear: FAILED"
}

stop_gadget_pair() {
    which=0
    for pid in $PAIR_PIDS; do
        which=$(( which + 1 ))
        kill -TERM "$pid"
        wait "$pid"
        gadget_status=$?
        check "gadget $which ended cleanly" [ "$gadget_status" -eq 0 ]
        [ "$gadget_status" -eq 0 ] || cat "/tmp/gadget-pair-$which.log"
    done
    wait_until 30 no_usb_disk || echo "check the recorders' disks go away: FAILED"
}

# A file for the host, base64 of its bytes between markers (run_vm_tier.sh keeps it
# in BUILD_DIR/vm-tier/files/NAME).
send_to_host() {
    echo "@@ file $2"
    base64 "$1"
    echo "@@ end file $2"
}

# Power cycle of the stored recorder: boot ROM, RAM cleared, storage kept (gadget stopped).
replug_recorder() { "$CLI" sim replug "$STATE" > /dev/null; }

usb_resets() { dmesg | grep -c "reset high-speed USB device"; }

# COUNT sectors of FILE from START, zero where the sparse file has nothing.
area_sectors() {
    dd if=/dev/zero bs=512 count="$3" 2> /dev/null > "$4"
    dd if="$1" of="$4" bs=512 skip="$2" count="$3" conv=notrunc 2> /dev/null
}

# An image file without its 18-byte header (present when bytes 8 and 9 are 01 00).
body_of() {
    if [ "$(stat -c %s "$1")" -ge 10 ] && [ "$(od -An -tx1 -j8 -N2 "$1" | tr -d ' \n')" = "0100" ]; then
        tail -c +19 "$1"
    else
        cat "$1"
    fi
}

has_index_magic() {
    [ "$(od -An -tx1 -N4 "$1" | tr -d ' \n')" = "400855aa" ] &&
        [ "$(od -An -tx1 -j508 -N4 "$1" | tr -d ' \n')" = "400855aa" ]
}

# Start sector of index table entry N (entries of 16 bytes after a 16-byte head).
index_entry_start() { od -An -tu4 -j $(( 16 + 16 * $2 )) -N4 "$1" | tr -d ' \n'; }

same_prefix() { cmp -n "$(stat -c %s "$1")" "$1" "$2"; }

all_ff() { [ -z "$(od -An -tx1 -v "$1" | tr -d ' \nf')" ]; }

scenario() {
    echo "@@ scenario $1"
    "scenario_$(echo "$1" | tr - _)"
    echo "@@ end $1"
}

scenario_detect() {
    cli detect
}

scenario_sync() {
    cli sync
    body_of "$WORK/updater.bin" > /tmp/updater.body
    check "ram.bin holds updater.bin without its header" same_prefix /tmp/updater.body "$STATE/ram.bin"
    cli detect
    show_gadget_log
}

# Recorded, and the recording sent to the host (vm.replay-gadget-recording replays it there).
scenario_update() {
    rm -f /tmp/gadget-update.jsonl.gz
    cli --record /tmp/gadget-update.jsonl.gz update
    area_sectors "$STATE/storage-2-area-0.img" 0 1 /tmp/index.sector
    check "the user area starts with the index table sector" has_index_magic /tmp/index.sector
    check "the recording was made" [ -s /tmp/gadget-update.jsonl.gz ]
    send_to_host /tmp/gadget-update.jsonl.gz gadget-update.jsonl.gz
    show_gadget_log
}

scenario_read_boot_area() {
    rm -f "$WORK/BootArea.bin"
    cli read-boot-area 0 16
    area_sectors "$STATE/storage-2-area-1.img" 0 16 /tmp/boot.expected
    check "BootArea.bin is what the recorder holds" cmp /tmp/boot.expected "$WORK/BootArea.bin"
    check "BootArea.bin starts with the index table sector" has_index_magic "$WORK/BootArea.bin"
}

scenario_read_user_area() {
    rm -f "$WORK/UserArea.bin"
    cli read-user-area 0 1024
    area_sectors "$STATE/storage-2-area-0.img" 0 1024 /tmp/user.expected
    check "UserArea.bin is what the recorder holds" cmp /tmp/user.expected "$WORK/UserArea.bin"
    entry=0
    for name in $(sed -n 's/^file[0-9]=//p' "$WORK/DiskInfo.ini" | tr -d '\r'); do
        start=$(index_entry_start "$WORK/UserArea.bin" "$entry")
        body_of "$WORK/$name" > /tmp/firmware.body
        dd if="$WORK/UserArea.bin" of=/tmp/firmware.read bs=512 skip="$start" 2> /dev/null
        check "$name read back from sector $start" same_prefix /tmp/firmware.body /tmp/firmware.read
        entry=$(( entry + 1 ))
    done
}

scenario_raw_write() {
    # 301000 bytes: the last 4 KiB piece is partial and ends inside a sector.
    dd if=/dev/urandom of=/tmp/raw.img bs=1000 count=301 2> /dev/null
    cli raw-write /tmp/raw.img
    check "the serial flash holds the raw image" same_prefix /tmp/raw.img "$STATE/storage-3-area-0.img"
    rm -f "$WORK/UserArea.bin"
    cli --storage SIF read-user-area 0 588
    check "the raw image reads back" same_prefix /tmp/raw.img "$WORK/UserArea.bin"
    tail -c +301001 "$WORK/UserArea.bin" > /tmp/raw.filler
    check "the rest of its last sector reads 0xff" all_ff /tmp/raw.filler
}

scenario_refused_command() {
    cli write-register 0x1000 0x5a
    resets=$(usb_resets)
    cli read-register 0x1000
    check "the kernel reset the device after the phase error" [ "$(usb_resets)" -gt "$resets" ]
    cli read-register 0x1000
}

scenario_stops_answering() {
    resets=$(usb_resets)
    cli update
    check "the kernel reset the device after the timeout" [ "$(usb_resets)" -gt "$resets" ]
    cli detect
    show_gadget_log
}

scenario_unplugged() {
    cli update
    check "the recorder's disk is gone" no_usb_disk
    cli detect
    show_gadget_log
}

scenario_update_all() {
    cli update --all --log-dir /tmp/update-all
    body_of "$WORK/updater.bin" > /tmp/updater.body
    for which in 1 2; do
        state=/tmp/recorder-$which
        check "recorder $which ran the updater" same_prefix /tmp/updater.body "$state/ram.bin"
        area_sectors "$state/storage-2-area-0.img" 0 1 /tmp/index.sector
        check "recorder $which's user area starts with the index table sector" has_index_magic /tmp/index.sector
    done
    check "each recorder has its log" [ -s /tmp/update-all/recorder-1-1.log -a -s /tmp/update-all/recorder-2-1.log ]
    cli list
    cat /tmp/gadget-pair-1.log /tmp/gadget-pair-2.log
}

run_all_scenarios() {
    mkdir -p "$HOME"
    prepare_corpus_folder /work "$WORK"
    "$CLI" sim init "$STATE" --mode bootrom
    start_gadget
    scenario detect
    scenario sync
    stop_gadget

    replug_recorder
    start_gadget
    scenario update
    scenario read-boot-area
    scenario read-user-area
    scenario raw-write
    stop_gadget

    # The model fails the next ReadRegister: the host's call must fail.
    sed -i '/^\[faults\]/a fail_command = 0x04 1' "$STATE/recorder.ini"
    start_gadget
    scenario refused-command
    stop_gadget

    replug_recorder
    start_gadget --stop-answering-at 0x08 3
    scenario stops-answering
    stop_gadget

    replug_recorder
    start_gadget --unplug-at 0x08 3
    scenario unplugged
    stop_gadget

    "$CLI" sim show "$STATE"

    start_gadget_pair
    scenario update-all
    stop_gadget_pair
}
