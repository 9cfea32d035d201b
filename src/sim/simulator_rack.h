// Several simulated recorders on one simulated USB bus, as a service bench
// has them behind a hub: each kept in its own state folder with its own port
// path and serial number. The drive letters follow one another from 'D' in
// the order the folders were given; the enumeration lists every recorder on
// the bus; the device events of all of them reach one sink. Plugging or
// unplugging one touches no other.
//
// A recorder another program holds (its state folder is locked) is on the bus
// as a real one would be: listed with its port and serial from recorder.ini,
// its one volume refusing to open with "The recorder is in use by another
// program (pid N).", and nothing ever sent to it.
#pragma once

#include <filesystem>
#include <memory>
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
    // the reason in `error` when a folder holds no readable recorder.
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
    // What the bus shows of a recorder another program holds.
    struct HeldRecorder {
        RecorderState state;
        std::string holderMessage;  // "The recorder is in use by another program (pid N)."
    };
    // One state folder's place on the bus: its simulator, or the recorder another program holds.
    struct Slot {
        std::unique_ptr<Simulator> simulator;
        std::optional<HeldRecorder> held;
        std::filesystem::path folder;
    };
    explicit SimulatorRack(std::vector<Slot> slots);
    // The slot behind a rack letter and the letter on its own bus; null outside the rack's letters.
    const Slot* slotAt(char letter, char& ownLetter) const;

    std::vector<Slot> m_slots;
};

}  // namespace ib::sim
