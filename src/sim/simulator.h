// The simulated recorder as a whole, for tests, the CLI and benchmarks: the
// volumes the host scans, the USB enumeration and device events, plus state
// accessors and fault setters. Kept in memory or in a state folder.
//
//   ManualClock clock;
//   auto sim = Simulator::inMemory(RecorderState{}, clock);
//   UsbScsiCmd cmd(sim->volumes());   // cmd.Open() finds the recorder at D:
#pragma once

#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "device/vendor_command.h"
#include "seams/clock.h"
#include "sim/sim_volumes.h"
#include "sim/simulated_bus.h"
#include "sim/usb_presence.h"

namespace ib::sim {

class Simulator {
public:
    static std::unique_ptr<Simulator> inMemory(RecorderState initial, Clock& clock);
    // Null when the folder holds no readable recorder, with the reason in `error`.
    static std::unique_ptr<Simulator> openFolder(const std::filesystem::path& dir, Clock& clock,
                                                 std::string& error);

    VolumeProvider& volumes() { return m_volumes; }
    // How many drive letters the recorder and its decoys take.
    std::size_t volumeCount() { return m_volumes.volumeCount(); }
    UsbStorageEnumerator& enumerator() { return m_enumerator; }
    SimDeviceEvents& events() { return m_events; }
    // Notices a due return and delivers pending device events.
    void poll() { m_events.poll(); }

    RecorderState state();
    bool recorderPresent() { return m_bus->recorderPresent(); }
    bool cablePlugged() {
        return m_bus->withRecorder([](RecorderModel& r) { return r.cablePlugged(); });
    }
    std::vector<std::uint8_t> ramImage();
    // The latest command-log lines, oldest first: in memory the last 100,000; with a
    // state folder none (commands.log holds them).
    std::vector<std::string> commandLog();
    std::vector<std::string> decoyCommandLog(DecoyKind kind) { return m_bus->decoyCommandLog(kind); }
    // Sectors of an area as stored (count × 512 bytes; empty on an I/O error).
    std::vector<std::uint8_t> readArea(AreaId id, std::uint64_t firstSector, std::uint64_t count);
    // Puts bytes into an area behind the host's back (test set-up).
    bool writeArea(AreaId id, std::uint64_t firstSector, std::span<const std::uint8_t> bytes);
    std::vector<SectorRange> sectorsWithData(AreaId id);
    // The last error of a state folder ("" when all went well or in memory).
    std::string persistenceError();

    void setFaults(const Faults& faults);
    // The n-th command with this code from now on fails (n = 1: the next one).
    void failNthCommand(VendorCode code, std::uint32_t n, FaultKind kind = FaultKind::TransportFailure);
    void setLatency(const Latency& latency);
    // Unplug and plug in again: boot ROM, empty RAM, no selection, storage kept.
    void replug();

private:
    explicit Simulator(std::shared_ptr<SimulatedBus> bus);

    std::shared_ptr<SimulatedBus> m_bus;
    SimVolumes m_volumes;
    SimUsbEnumerator m_enumerator;
    SimDeviceEvents m_events;
};

}  // namespace ib::sim
