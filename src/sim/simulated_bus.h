// The bus the simulated recorder and its decoy disks sit on: it owns them,
// assigns drive letters (decoys first, then the recorder, from 'D'), carries
// commands to them under one lock, paces them by the latency model, and tells
// whether the recorder is present. Volumes, enumeration, events and the
// Simulator facade all share one bus, from any thread.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "seams/clock.h"
#include "seams/pass_through.h"
#include "sim/decoy_disk.h"
#include "sim/latency_pacer.h"
#include "sim/recorder_model.h"

namespace ib::sim {

inline constexpr char kFirstDriveLetter = 'D';

// The decoy volumes the faults place in front of the recorder, in letter order.
std::vector<DecoyKind> decoysOf(const Faults& faults);

class SimulatedBus {
public:
    // What an opened volume talks to: a decoy, or the recorder as it was on
    // the bus when opened (a volume opened before it left no longer reaches it).
    struct Ticket {
        std::optional<DecoyKind> decoy;
        std::uint64_t busGeneration = 0;
    };

    SimulatedBus(std::unique_ptr<RecorderBacking> backing, RecorderState state, std::vector<std::uint8_t> ram,
                 Clock& clock);

    // Opens the volume at a drive letter; nothing when there is none or it does not open.
    std::optional<Ticket> open(char letter, std::string* whyNot);
    std::string volumeName(char letter);
    // The recorder's port path at its letter; "" for a decoy or no volume.
    std::string volumePort(char letter);
    // How many drive letters the bus takes: the decoys and the recorder.
    std::size_t volumeCount();
    // Runs one command; pauses (outside the lock) as the latency model says.
    ScsiOutcome send(const Ticket& ticket, const ScsiRequest& request);

    // Whether the recorder is on the bus, bringing it back when its time has come.
    bool recorderPresent();
    std::vector<BusChange> takeBusChanges();

    // Runs `f` with the recorder model under the bus lock (inspection, faults, replug).
    template <typename F>
    auto withRecorder(F&& f) {
        std::lock_guard lock(m_mutex);
        return f(m_recorder);
    }
    std::vector<std::string> decoyCommandLog(DecoyKind kind);

private:
    // What sits at each letter from 'D': the decoys, then the recorder (empty). Lock held.
    std::vector<std::optional<DecoyKind>> letterSlots() const;
    // What sits at a drive letter: false when nothing; `decoy` empty for the recorder. Lock held.
    bool volumeAt(char letter, std::optional<DecoyKind>& decoy) const;
    DecoyDisk& decoy(DecoyKind kind);

    std::mutex m_mutex;
    Clock& m_clock;
    std::unique_ptr<RecorderBacking> m_backing;
    RecorderModel m_recorder;
    std::vector<DecoyDisk> m_decoys;
    LatencyPacer m_pacer;
};

}  // namespace ib::sim
