// Several simulated recorders on one simulated USB bus, as a service bench
// has them behind a hub: each kept in its own state folder with its own port
// path and serial number. The drive letters follow one another from 'D' in
// the order the folders were given; the enumeration lists every recorder on
// the bus; the device events of the recorders this program has taken reach
// one sink. Plugging or unplugging one touches no other.
//
// Each recorder has a lock of its own, as on real USB: this program takes a
// recorder (its state folder) when it first opens one of its volumes, and
// keeps it until the rack closes; the others stay free for other programs.
// A rack of one recorder takes it at once. A recorder another program holds
// is on the bus as a real one would be: listed with its port and serial from
// recorder.ini, its volumes refusing to open with "The recorder is in use by
// another program (pid N).", and nothing ever sent to it.
#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "seams/clock.h"
#include "seams/pass_through.h"
#include "seams/usb_storage_enumeration.h"
#include "sim/simulator.h"

namespace ib::sim {

class SimulatorRack final : public VolumeProvider, public UsbStorageEnumerator, public DeviceEventSource {
public:
    // One recorder per state folder; a folder that is no state folder but
    // holds some (a bus folder) gives each of them, in name order. Null with
    // the reason in `error` when a folder holds no readable recorder, or when
    // two recorders share a port or a serial (see bus_folders.h).
    // A recorder another program (or session) holds is on the bus as held.
    static std::unique_ptr<SimulatorRack> open(const std::vector<std::filesystem::path>& folders, Clock& clock,
                                               std::string& error);
    ~SimulatorRack() override;

    std::unique_ptr<VolumeHandle> openVolume(char letter, std::string* whyNot = nullptr) override;
    std::string volumeName(char letter) const override;
    std::string volumePort(char letter) const override;

    UsbStorageList presentDevices() override;

    bool registerClass(InterfaceClass cls) override;
    void start(Sink sink) override;
    void stop() override;

    // The state folder of the recorder on `portPath`, held ones included; empty when none is there.
    std::filesystem::path folderOf(const std::string& portPath);

private:
    // One state folder's place on the bus: its simulator once this program
    // has taken it, else what its recorder.ini said when last read.
    struct Slot {
        std::filesystem::path folder;
        std::unique_ptr<Simulator> simulator;
        RecorderState seen;
    };
    SimulatorRack(std::vector<Slot> slots, Clock& clock);
    // The slot behind a rack letter and the letter on its own bus; null outside the rack's letters.
    Slot* slotAt(char letter, char& ownLetter) const;
    // Takes the slot's recorder for this program; false with the reason when another program has it.
    bool take(Slot& slot, std::string* whyNot);
    // Whether a recorder not taken is on the bus, from its folder as it is now.
    bool onBusNow(Slot& slot);
    // The simulators of the recorders taken so far (they stay until the rack closes). Lock held.
    std::vector<Simulator*> taken() const;

    mutable std::vector<Slot> m_slots;
    Clock& m_clock;
    mutable std::mutex m_mutex;  // guards the slots' simulators and what was seen, and the three below
    std::vector<InterfaceClass> m_classes;
    std::optional<Sink> m_sink;  // while started
};

}  // namespace ib::sim
