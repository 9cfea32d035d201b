// Several simulated recorders on one simulated USB bus, as a service bench
// has them behind a hub: each kept in its own state folder with its own port
// path and serial number. The drive letters follow one another from 'D' in
// the order the folders were given; the enumeration lists every recorder on
// the bus; the device events of all of them reach one sink. Plugging or
// unplugging one touches no other.
#pragma once

#include <filesystem>
#include <memory>
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
    // With `leaveOutHeld`, a recorder another program (or session) holds is
    // left off the bus instead: a look for arrivals beside running updates.
    static std::unique_ptr<SimulatorRack> open(const std::vector<std::filesystem::path>& folders, Clock& clock,
                                               std::string& error, bool leaveOutHeld = false);

    std::unique_ptr<VolumeHandle> openVolume(char letter, std::string* whyNot = nullptr) override;
    std::string volumeName(char letter) const override;
    std::string volumePort(char letter) const override;

    UsbStorageList presentDevices() override;

    bool registerClass(InterfaceClass cls) override;
    void start(Sink sink) override;
    void stop() override;

    // The state folder of the recorder on `portPath`; empty when none is there.
    std::filesystem::path folderOf(const std::string& portPath);

private:
    SimulatorRack(std::vector<std::unique_ptr<Simulator>> simulators, std::vector<std::filesystem::path> folders)
        : m_simulators(std::move(simulators)), m_folders(std::move(folders)) {}
    // The simulator behind a rack letter and the letter on its own bus; null outside the rack's letters.
    Simulator* simulatorAt(char letter, char& ownLetter) const;

    std::vector<std::unique_ptr<Simulator>> m_simulators;
    std::vector<std::filesystem::path> m_folders;  // of each simulator, in the same order
};

}  // namespace ib::sim
