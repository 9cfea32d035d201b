// Several simulated recorders on one bus. See simulator_rack.h.
#include "sim/simulator_rack.h"

#include <algorithm>

#include "seams/recorder_lock.h"
#include "sim/bus_folders.h"
#include "sim/state_folder.h"
#include "sim/usb_presence.h"

namespace ib::sim {
namespace {

std::string modeVolumeName(RecorderMode mode) {
    return mode == RecorderMode::BootRom ? "simulated recorder (boot ROM)" : "simulated recorder (updater)";
}

}  // namespace

std::unique_ptr<SimulatorRack> SimulatorRack::open(const std::vector<std::filesystem::path>& folders, Clock& clock,
                                                   std::string& error) {
    const std::vector<std::filesystem::path> stateFolders = stateFoldersIn(folders);
    if (auto shared = sharedIdentity(stateFolders)) {
        error = std::move(*shared);
        return nullptr;
    }
    std::vector<Slot> slots;
    for (const auto& folder : stateFolders) {
        Slot slot{folder, nullptr, {}};
        if (stateFolders.size() == 1) {
            slot.simulator = Simulator::openFolder(folder, clock, error);
            if (!slot.simulator && !isRecorderInUseMessage(error)) return nullptr;
        }
        if (!slot.simulator) {
            auto state = StateFolder::peekState(folder, error);
            if (!state) return nullptr;
            slot.seen = std::move(*state);
        }
        slots.push_back(std::move(slot));
    }
    error.clear();
    return std::unique_ptr<SimulatorRack>(new SimulatorRack(std::move(slots), clock));
}

SimulatorRack::SimulatorRack(std::vector<Slot> slots, Clock& clock) : m_slots(std::move(slots)), m_clock(clock) {}

SimulatorRack::~SimulatorRack() = default;

std::filesystem::path SimulatorRack::folderOf(const std::string& portPath) {
    std::lock_guard lock(m_mutex);
    for (const Slot& slot : m_slots) {
        const std::string port = slot.simulator ? slot.simulator->state().portPath : slot.seen.portPath;
        if (port == portPath) return slot.folder;
    }
    return {};
}

SimulatorRack::Slot* SimulatorRack::slotAt(char letter, char& ownLetter) const {
    if (letter < kFirstDriveLetter) return nullptr;
    std::size_t index = static_cast<std::size_t>(letter - kFirstDriveLetter);
    for (Slot& slot : m_slots) {
        // A recorder not taken has its volume while its cable is in, after the decoys in front of it.
        const std::size_t count = slot.simulator
                                      ? slot.simulator->volumeCount()
                                      : decoysOf(slot.seen.faults).size() + (cablePluggedIn(slot.folder) ? 1 : 0);
        if (index < count) {
            ownLetter = static_cast<char>(kFirstDriveLetter + index);
            return &slot;
        }
        index -= count;
    }
    return nullptr;
}

bool SimulatorRack::take(Slot& slot, std::string* whyNot) {
    if (slot.simulator) return true;
    std::string error;
    slot.simulator = Simulator::openFolder(slot.folder, m_clock, error);
    if (!slot.simulator) {
        if (whyNot) *whyNot = error;
        return false;
    }
    SimDeviceEvents& events = slot.simulator->events();
    for (const InterfaceClass cls : m_classes) (void)events.registerClass(cls);
    if (m_sink) events.start(*m_sink);
    return true;
}

std::unique_ptr<VolumeHandle> SimulatorRack::openVolume(char letter, std::string* whyNot) {
    char own = 0;
    Simulator* simulator = nullptr;
    {
        std::lock_guard lock(m_mutex);
        Slot* slot = slotAt(letter, own);
        if (!slot) {
            if (whyNot) *whyNot = "no volume at this letter";
            return nullptr;
        }
        if (!take(*slot, whyNot)) return nullptr;
        simulator = slot->simulator.get();
    }
    // Opened outside the rack's lock: the opening delivers device events, whose handling may look at the bus.
    return simulator->volumes().openVolume(own, whyNot);
}

std::string SimulatorRack::volumeName(char letter) const {
    std::lock_guard lock(m_mutex);
    char own = 0;
    const Slot* slot = slotAt(letter, own);
    if (!slot) return "";
    if (slot->simulator) return slot->simulator->volumes().volumeName(own);
    const std::vector<DecoyKind> decoys = decoysOf(slot->seen.faults);
    const auto at = static_cast<std::size_t>(own - kFirstDriveLetter);
    return at < decoys.size() ? "simulated " + decoyDescription(decoys[at]) : modeVolumeName(slot->seen.mode);
}

std::string SimulatorRack::volumePort(char letter) const {
    std::lock_guard lock(m_mutex);
    char own = 0;
    const Slot* slot = slotAt(letter, own);
    if (!slot) return "";
    if (slot->simulator) return slot->simulator->volumes().volumePort(own);
    const auto at = static_cast<std::size_t>(own - kFirstDriveLetter);
    return at < decoysOf(slot->seen.faults).size() ? "" : slot->seen.portPath;
}

bool SimulatorRack::onBusNow(Slot& slot) {
    std::string unread;
    if (auto state = StateFolder::peekState(slot.folder, unread)) slot.seen = std::move(*state);
    return cablePluggedIn(slot.folder) && !restartingAt(slot.seen, m_clock.nowMs());
}

UsbStorageList SimulatorRack::presentDevices() {
    UsbStorageList all;
    all.available = true;
    std::lock_guard lock(m_mutex);
    for (Slot& slot : m_slots) {
        if (!slot.simulator) {
            if (!onBusNow(slot)) continue;
            all.instanceIds.emplace_back(recorderInstanceId(slot.seen.mode, slot.seen.serial));
            all.portPaths.push_back(slot.seen.portPath);
            continue;
        }
        UsbStorageList one = slot.simulator->enumerator().presentDevices();
        all.instanceIds.insert(all.instanceIds.end(), one.instanceIds.begin(), one.instanceIds.end());
        all.portPaths.insert(all.portPaths.end(), one.portPaths.begin(), one.portPaths.end());
    }
    return all;
}

bool SimulatorRack::registerClass(InterfaceClass cls) {
    std::lock_guard lock(m_mutex);
    m_classes.push_back(cls);
    return std::all_of(m_slots.begin(), m_slots.end(), [cls](const Slot& slot) {
        return !slot.simulator || slot.simulator->events().registerClass(cls);
    });
}

std::vector<Simulator*> SimulatorRack::taken() const {
    std::vector<Simulator*> simulators;
    for (const Slot& slot : m_slots)
        if (slot.simulator) simulators.push_back(slot.simulator.get());
    return simulators;
}

// Started and stopped outside the rack's lock: stopping waits for a delivery, whose handling may look at the bus.
void SimulatorRack::start(Sink sink) {
    std::vector<Simulator*> simulators;
    Sink serialised;
    {
        std::lock_guard lock(m_mutex);
        // Each recorder delivers from a thread of its own; one sink at a time.
        m_sink = serialised = [sink, mutex = std::make_shared<std::mutex>()](const DeviceEvent& event) {
            std::lock_guard delivery(*mutex);
            sink(event);
        };
        simulators = taken();
    }
    for (Simulator* simulator : simulators) simulator->events().start(serialised);
}

void SimulatorRack::stop() {
    std::vector<Simulator*> simulators;
    {
        std::lock_guard lock(m_mutex);
        m_sink.reset();
        simulators = taken();
    }
    for (Simulator* simulator : simulators) simulator->events().stop();
}

}  // namespace ib::sim
