// Several simulated recorders on one bus. See simulator_rack.h.
#include "sim/simulator_rack.h"

#include <algorithm>
#include <mutex>

#include "seams/recorder_lock.h"
#include "sim/state_folder.h"
#include "sim/usb_presence.h"

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
                                                   std::string& error) {
    std::vector<Slot> slots;
    for (const auto& folder : folders) {
        for (const auto& stateFolder : stateFoldersIn(folder)) {
            auto simulator = Simulator::openFolder(stateFolder, clock, error);
            if (!simulator && isRecorderInUseMessage(error)) {
                std::string unread;
                auto state = StateFolder::peekState(stateFolder, unread);
                if (!state) return nullptr;  // the holder's message says more than the unread file
                slots.push_back({nullptr, HeldRecorder{std::move(*state), error}, stateFolder});
                continue;
            }
            if (!simulator) return nullptr;
            slots.push_back({std::move(simulator), std::nullopt, stateFolder});
        }
    }
    error.clear();
    return std::unique_ptr<SimulatorRack>(new SimulatorRack(std::move(slots)));
}

SimulatorRack::SimulatorRack(std::vector<Slot> slots) : m_slots(std::move(slots)) {}

SimulatorRack::~SimulatorRack() = default;

std::filesystem::path SimulatorRack::folderOf(const std::string& portPath) {
    for (const Slot& slot : m_slots) {
        const std::string port = slot.simulator ? slot.simulator->state().portPath : slot.held->state.portPath;
        if (port == portPath) return slot.folder;
    }
    return {};
}

const SimulatorRack::Slot* SimulatorRack::slotAt(char letter, char& ownLetter) const {
    if (letter < kFirstDriveLetter) return nullptr;
    std::size_t index = static_cast<std::size_t>(letter - kFirstDriveLetter);
    for (const Slot& slot : m_slots) {
        // A held recorder has its one volume while its cable is in, decoys aside.
        const std::size_t count =
            slot.simulator ? slot.simulator->volumeCount() : cablePluggedIn(slot.folder) ? 1 : 0;
        if (index < count) {
            ownLetter = static_cast<char>(kFirstDriveLetter + index);
            return &slot;
        }
        index -= count;
    }
    return nullptr;
}

std::unique_ptr<VolumeHandle> SimulatorRack::openVolume(char letter, std::string* whyNot) {
    char own = 0;
    const Slot* slot = slotAt(letter, own);
    if (slot && slot->simulator) return slot->simulator->volumes().openVolume(own, whyNot);
    if (whyNot) *whyNot = slot ? slot->held->holderMessage : "no volume at this letter";
    return nullptr;
}

std::string SimulatorRack::volumeName(char letter) const {
    char own = 0;
    const Slot* slot = slotAt(letter, own);
    if (!slot) return "";
    if (slot->simulator) return slot->simulator->volumes().volumeName(own);
    return slot->held->state.mode == RecorderMode::BootRom ? "simulated recorder (boot ROM)"
                                                           : "simulated recorder (updater)";
}

std::string SimulatorRack::volumePort(char letter) const {
    char own = 0;
    const Slot* slot = slotAt(letter, own);
    if (!slot) return "";
    return slot->simulator ? slot->simulator->volumes().volumePort(own) : slot->held->state.portPath;
}

UsbStorageList SimulatorRack::presentDevices() {
    UsbStorageList all;
    all.available = true;
    for (const Slot& slot : m_slots) {
        if (slot.held) {
            if (!cablePluggedIn(slot.folder)) continue;
            all.instanceIds.emplace_back(recorderInstanceId(slot.held->state.mode, slot.held->state.serial));
            all.portPaths.push_back(slot.held->state.portPath);
            continue;
        }
        UsbStorageList one = slot.simulator->enumerator().presentDevices();
        all.instanceIds.insert(all.instanceIds.end(), one.instanceIds.begin(), one.instanceIds.end());
        all.portPaths.insert(all.portPaths.end(), one.portPaths.begin(), one.portPaths.end());
    }
    return all;
}

bool SimulatorRack::registerClass(InterfaceClass cls) {
    return std::all_of(m_slots.begin(), m_slots.end(), [cls](const Slot& slot) {
        return !slot.simulator || slot.simulator->events().registerClass(cls);
    });
}

void SimulatorRack::start(Sink sink) {
    // Each recorder delivers from a thread of its own; one sink at a time.
    auto serialised = [sink, mutex = std::make_shared<std::mutex>()](const DeviceEvent& event) {
        std::lock_guard lock(*mutex);
        sink(event);
    };
    for (const Slot& slot : m_slots)
        if (slot.simulator) slot.simulator->events().start(serialised);
}

void SimulatorRack::stop() {
    for (const Slot& slot : m_slots)
        if (slot.simulator) slot.simulator->events().stop();
}

}  // namespace ib::sim
