// Several simulated recorders on one bus. See simulator_rack.h.
#include "sim/simulator_rack.h"

#include <algorithm>
#include <mutex>

#include "seams/recorder_lock.h"

namespace ib::sim {
namespace {

bool isStateFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    return std::filesystem::is_regular_file(folder / "recorder.ini", ec);
}

// The state folder itself, or the state folders a bus folder holds, in name order.
std::vector<std::filesystem::path> stateFoldersIn(const std::filesystem::path& folder) {
    if (isStateFolder(folder)) return {folder};
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (isStateFolder(entry.path())) found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    if (found.empty()) found.push_back(folder);  // opening it says why it holds no recorder
    return found;
}

}  // namespace

std::unique_ptr<SimulatorRack> SimulatorRack::open(const std::vector<std::filesystem::path>& folders, Clock& clock,
                                                   std::string& error, bool leaveOutHeld) {
    std::vector<std::unique_ptr<Simulator>> simulators;
    std::vector<std::filesystem::path> stateFolders;
    for (const auto& folder : folders) {
        for (const auto& stateFolder : stateFoldersIn(folder)) {
            auto simulator = Simulator::openFolder(stateFolder, clock, error);
            if (!simulator && leaveOutHeld && isRecorderInUseMessage(error)) continue;
            if (!simulator) return nullptr;
            simulators.push_back(std::move(simulator));
            stateFolders.push_back(stateFolder);
        }
    }
    return std::unique_ptr<SimulatorRack>(new SimulatorRack(std::move(simulators), std::move(stateFolders)));
}

std::filesystem::path SimulatorRack::folderOf(const std::string& portPath) {
    for (std::size_t i = 0; i < m_simulators.size(); ++i)
        if (m_simulators[i]->state().portPath == portPath) return m_folders[i];
    return {};
}

Simulator* SimulatorRack::simulatorAt(char letter, char& ownLetter) const {
    if (letter < kFirstDriveLetter) return nullptr;
    std::size_t index = static_cast<std::size_t>(letter - kFirstDriveLetter);
    for (const auto& simulator : m_simulators) {
        const std::size_t count = simulator->volumeCount();
        if (index < count) {
            ownLetter = static_cast<char>(kFirstDriveLetter + index);
            return simulator.get();
        }
        index -= count;
    }
    return nullptr;
}

std::unique_ptr<VolumeHandle> SimulatorRack::openVolume(char letter, std::string* whyNot) {
    char own = 0;
    Simulator* simulator = simulatorAt(letter, own);
    if (simulator) return simulator->volumes().openVolume(own, whyNot);
    if (whyNot) *whyNot = "no volume at this letter";
    return nullptr;
}

std::string SimulatorRack::volumeName(char letter) const {
    char own = 0;
    Simulator* simulator = simulatorAt(letter, own);
    return simulator ? simulator->volumes().volumeName(own) : "";
}

std::string SimulatorRack::volumePort(char letter) const {
    char own = 0;
    Simulator* simulator = simulatorAt(letter, own);
    return simulator ? simulator->volumes().volumePort(own) : "";
}

UsbStorageList SimulatorRack::presentDevices() {
    UsbStorageList all;
    all.available = true;
    for (const auto& simulator : m_simulators) {
        UsbStorageList one = simulator->enumerator().presentDevices();
        all.instanceIds.insert(all.instanceIds.end(), one.instanceIds.begin(), one.instanceIds.end());
        all.portPaths.insert(all.portPaths.end(), one.portPaths.begin(), one.portPaths.end());
    }
    return all;
}

bool SimulatorRack::registerClass(InterfaceClass cls) {
    return std::all_of(m_simulators.begin(), m_simulators.end(),
                       [cls](const auto& simulator) { return simulator->events().registerClass(cls); });
}

void SimulatorRack::start(Sink sink) {
    // Each recorder delivers from a thread of its own; one sink at a time.
    auto serialised = [sink, mutex = std::make_shared<std::mutex>()](const DeviceEvent& event) {
        std::lock_guard lock(*mutex);
        sink(event);
    };
    for (const auto& simulator : m_simulators) simulator->events().start(serialised);
}

void SimulatorRack::stop() {
    for (const auto& simulator : m_simulators) simulator->events().stop();
}

}  // namespace ib::sim
