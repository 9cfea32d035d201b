// The simulated recorder as a SCSI target: the standard commands a host kernel
// sends to a USB disk, and the vendor commands (FA 55 66) of its boot ROM and
// of the updater. Independent of how commands reach it; not thread-safe (the
// simulated bus serialises access).
//
// Boot ROM: Identify replies AA 55 ...; Download appends to the RAM image;
// StartDownloaded (refused with an empty RAM image) takes the recorder off the
// bus for `restart_delay_ms` and brings it back running the updater.
// Updater: Identify replies with "QUB" at bytes 9..11; the storage commands
// work (see recorder_storage.h); EndSession forgets the selection and counts.
// Both: ReadRegister/WriteRegister on a byte-wide register file (unknown
// addresses read 0). A refused vendor command gives CHECK CONDITION with sense
// through a host call that completes; a malformed block (signature, unknown
// code, non-zero unused bytes, wrong data direction or length, more than 64 KiB
// of data) is refused, and so is a command the current mode does not offer. A
// wrong data direction or length breaks the transport instead: the host call fails.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "seams/clock.h"
#include "sim/command_log.h"
#include "sim/recorder_backing.h"
#include "sim/recorder_state.h"
#include "sim/recorder_storage.h"
#include "sim/scsi_target.h"
#include "sim/standard_disk.h"
#include "sim/vendor_command_rules.h"

namespace ib::sim {

// The recorder's RAM takes an updater, not a disk image.
inline constexpr std::size_t kRamCapacityBytes = 16 * 1024 * 1024;

// The recorder left the bus or came back; `mode` is what it runs at that moment.
struct BusChange {
    bool arrived = false;
    RecorderMode mode = RecorderMode::BootRom;
};

class RecorderModel final : public ScsiTarget {
public:
    RecorderModel(RecorderState state, std::vector<std::uint8_t> ram, RecorderBacking& backing, Clock& clock);

    ScsiResponse execute(const ScsiCommand& command) override;

    // Whether the recorder is on the bus; follows its cable first and brings
    // it back when its restart time has passed.
    bool onBus();
    // Changes whenever the recorder leaves or joins the bus: volumes opened
    // before then no longer reach it.
    std::uint64_t busGeneration() const { return m_busGeneration; }
    // The arrivals and removals since the last call, oldest first.
    std::vector<BusChange> takeBusChanges();
    // Unplug and plug again: boot ROM, empty RAM, no selection, storage kept.
    void powerCycle();

    const RecorderState& state() const { return m_state; }
    void setFaults(const Faults& faults);
    void setLatency(const Latency& latency);
    const std::vector<std::uint8_t>& ramImage() const { return m_ram; }
    // The latest command-log lines, oldest first: as many as the backing asks the model
    // to keep in memory (a state folder keeps them in commands.log instead).
    std::vector<std::string> commandLog() const { return m_recentLog.lines(); }
    AreaStore& area(AreaId id) { return m_backing.area(id); }
    bool cablePlugged() const { return m_backing.cablePlugged(); }
    std::string persistenceError() const { return m_backing.persistenceError(); }
    InquiryIdentity identity() const;

private:
    ScsiResponse executeVendor(const ScsiCommand& command);
    CommandOutcome carryOut(const VendorCommandRule& rule, const ScsiCommand& command);
    CommandOutcome identify(std::span<std::uint8_t> reply) const;
    CommandOutcome download(std::span<const std::uint8_t> bytes);
    CommandOutcome startDownloaded();
    CommandOutcome readRegister(std::uint32_t address, std::span<std::uint8_t> reply) const;
    CommandOutcome endSession();
    // Counts the command against the armed faults; the kind of the one that fires now, if any.
    std::optional<FaultKind> consumeFault(std::uint8_t code);
    // Sends the armed signal to this process when its command arrives.
    void signalHostAt(std::span<const std::uint8_t> cdb);
    // A pulled cable takes the recorder off the bus and its power away (boot
    // ROM, RAM gone); plugged in again it arrives.
    void followCable();
    void log(const ScsiCommand& command, const ScsiResponse& response);

    RecorderState m_state;
    std::vector<std::uint8_t> m_ram;
    RecorderBacking& m_backing;
    Clock& m_clock;
    RecorderStorage m_storage;
    StandardDisk m_standard;
    RecentCommandLines m_recentLog;
    std::vector<BusChange> m_busChanges;
    std::uint64_t m_busGeneration = 0;
    bool m_cablePlugged = true;
};

}  // namespace ib::sim
