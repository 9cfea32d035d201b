#!/usr/bin/env bash
# Asserts on what one scenario printed in the virtual machine's console
# (run_vm_tier.sh saves it; guest/scenarios.sh writes it).
#
#   check_console.sh CONSOLE_LOG SCENARIO
#
# Each expectation is a list of texts that must appear in the scenario's
# section in that order, each on a line of its own or as part of one; a text
# starting with "re:" is an extended regular expression instead. Every "check"
# line the guest printed must say ok.
set -euo pipefail

console=$1
scenario=$2
[ -s "$console" ] || { echo "no console log at $console: the virtual machine did not run"; exit 1; }

section=$(awk -v name="$scenario" '
    $0 == "@@ scenario " name { on = 1; next }
    $0 == "@@ end " name { on = 0 }
    on' "$console")
[ -n "$section" ] || { echo "the guest printed nothing for scenario $scenario"; exit 1; }
failures=0

line_matches() {
    local line=$1 want=$2
    if [[ $want == re:* ]]; then
        [[ $line =~ ${want#re:} ]]
    else
        [[ $line == *"$want"* ]]
    fi
}

# The texts must appear in this order.
expect() {
    local next=0 wanted=("$@")
    while IFS= read -r line; do
        [ "$next" -lt ${#wanted[@]} ] || break
        if line_matches "$line" "${wanted[$next]}"; then next=$((next + 1)); fi
    done <<< "$section"
    if [ "$next" -lt ${#wanted[@]} ]; then
        local after=""
        [ "$next" -eq 0 ] || after=" after \"${wanted[$((next - 1))]}\""
        echo "scenario $scenario: expected \"${wanted[$next]}\"$after"
        failures=$((failures + 1))
    fi
}

checks_all_ok() {
    local bad
    bad=$(grep -E '^check .*: FAILED' <<< "$section" || true)
    if [ -n "$bad" ]; then
        echo "scenario $scenario: $bad"
        failures=$((failures + 1))
    fi
}

no_sanitizer_report() {
    if grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:' <<< "$section"; then
        echo "scenario $scenario: a sanitizer reported an error"
        failures=$((failures + 1))
    fi
}

instance_id() { echo "USBSTOR\\DISK&VEN_QUB&PROD_$1&REV_1.00\\SIM0001&0  <- recorder ID VEN_QUB&PROD_$1"; }
boot_rom_id=$(instance_id USB_BOOT_ROM)
updater_id=$(instance_id CARD_READER)
boot_rom_volume='re:^  D: .*: INQUIRY format 0x01, Identify ok \[aa 55( 00)+\] -> accepted, boot ROM mode$'
updater_volume='re:^  D: .*: INQUIRY format 0x01, Identify ok \[.*51 55 42.*\] -> accepted, updater mode$'

case $scenario in
detect)
    expect '$ imageburner-cli detect' "$boot_rom_id" 'FindRecorder = 1' 'Candidate volumes:' \
        "$boot_rom_volume" 'Recorder found.' 'exit status 0,'
    ;;
sync)
    # The kernel's removal and arrival during the restart change nothing on the
    # status line while the sync runs: the operation follows the recorder itself.
    expect '$ imageburner-cli sync' 'download the updater.bin .....' 'Zaczekaj na gotwość rejestratora...' \
        'Device Sync. success !!' 'exit status 0,'
    expect 'check ram.bin holds updater.bin without its header: ok'
    expect '$ imageburner-cli detect' "$updater_id" 'FindRecorder = 2' "$updater_volume" 'Recorder found.' \
        'exit status 0,'
    expect 'gadget: left the bus' 'gadget: on the bus as CARD_READER (1d6b:0105)'
    ;;
update)
    # The recording's replay is vm.replay-gadget-recording's.
    expect '$ imageburner-cli --record /tmp/gadget-update.jsonl.gz update' 'Start to download code .....' \
        'Update 1st sector partition setting .....' 'Format user area .....' \
        'Start to configure user area .....' 'Burn-in Boot process done .....' 'exit status 0,'
    expect 'check the user area starts with the index table sector: ok' 'check the recording was made: ok' \
        '@@ file gadget-update.jsonl.gz' '@@ end file gadget-update.jsonl.gz'
    expect 'gadget: on the bus as USB_BOOT_ROM (1d6b:0104)' 'gadget: left the bus' \
        'gadget: on the bus as CARD_READER (1d6b:0105)'
    ;;
read-boot-area)
    expect '$ imageburner-cli read-boot-area 0 16' 'exit status 0,' \
        'check BootArea.bin is what the recorder holds: ok' \
        'check BootArea.bin starts with the index table sector: ok'
    ;;
read-user-area)
    expect '$ imageburner-cli read-user-area 0 1024' 'exit status 0,' \
        'check UserArea.bin is what the recorder holds: ok' 'check bootcode.bin read back from sector' \
        'check bootloader.bin read back from sector' 'check firmware.bin read back from sector'
    ;;
raw-write)
    expect '$ imageburner-cli raw-write /tmp/raw.img' 'SUCCESS' 'exit status 0,' \
        'check the serial flash holds the raw image: ok' \
        '$ imageburner-cli --storage SIF read-user-area 0 588' 'exit status 0,' \
        'check the raw image reads back: ok' 'check the rest of its last sector reads 0xff: ok'
    ;;
refused-command)
    expect '$ imageburner-cli write-register 0x1000 0x5a' 'exit status 0,' \
        '$ imageburner-cli read-register 0x1000' 'Error Message: Error 0x010: Read register fail!' \
        'exit status 1,' \
        'check the kernel reset the device after the phase error: ok' \
        '$ imageburner-cli read-register 0x1000' 're:^0x5a$' 'exit status 0,'
    ;;
stops-answering)
    expect '$ imageburner-cli update' 'Start to download code .....' \
        'Error Message: Error 0x07: Burn-in Firmware error !' 'exit status 1,' \
        'check the kernel reset the device after the timeout: ok' \
        '$ imageburner-cli detect' 'Recorder found.' 'exit status 0,' \
        'gadget: fired: the recorder stops answering at WriteSectors #3' \
        'gadget: the host reset the device, answering again'
    ;;
unplugged)
    expect '$ imageburner-cli update' 'Start to download code .....' \
        'Error Message: Error 0x07: Burn-in Firmware error !' 'exit status 1,' \
        "check the recorder's disk is gone: ok" \
        '$ imageburner-cli detect' 'USB storage devices:' '  none' 'FindRecorder = 0' 'exit status 1,' \
        'gadget: fired: the recorder is unplugged at WriteSectors #3' \
        'gadget: off the bus until the program ends'
    ;;
update-all)
    # Two recorders, each on a USB device controller of its own: ports 1-1 and 2-1, in
    # whichever order the kernel named their disks.
    for port in 1-1 2-1; do
        expect '$ imageburner-cli update --all' "[$port] Start to download code ....." \
            "[$port] Burn-in Boot process done ....." "re:^$port +done " 'exit status 0,'
    done
    expect 'check recorder 1 ran the updater: ok' \
        "check recorder 1's user area starts with the index table sector: ok" \
        'check recorder 2 ran the updater: ok' \
        "check recorder 2's user area starts with the index table sector: ok" \
        'check each recorder has its log: ok'
    for recorder in '1-1  serial SIM0001' '2-1  serial SIM0002'; do
        expect '$ imageburner-cli list' "re:^$recorder  updater  [D-Z]:  free\$" '2 recorders found.' \
            'exit status 0,'
    done
    ;;
*)
    echo "unknown scenario $scenario"
    exit 2
    ;;
esac
checks_all_ok
no_sanitizer_report

if [ "$failures" -gt 0 ]; then
    echo "--- what the guest printed for $scenario:"
    echo "$section"
    exit 1
fi
echo "scenario $scenario: as expected"
