// The simulated recorder facade. See simulator.h.
#include "sim/simulator.h"

#include "device/sector.h"
#include "sim/memory_backing.h"
#include "sim/state_folder.h"

namespace ib::sim {

Simulator::Simulator(std::shared_ptr<SimulatedBus> bus)
    : m_bus(bus), m_volumes(bus, [this] { m_events.poll(); }), m_enumerator(bus), m_events(bus) {}

std::unique_ptr<Simulator> Simulator::inMemory(RecorderState initial, Clock& clock) {
    auto bus = std::make_shared<SimulatedBus>(std::make_unique<MemoryBacking>(), std::move(initial),
                                              std::vector<std::uint8_t>{}, clock);
    return std::unique_ptr<Simulator>(new Simulator(std::move(bus)));
}

std::unique_ptr<Simulator> Simulator::openFolder(const std::filesystem::path& dir, Clock& clock,
                                                 std::string& error) {
    StateFolder::Opened opened = StateFolder::open(dir, error);
    if (!opened.folder) return nullptr;
    auto bus = std::make_shared<SimulatedBus>(std::move(opened.folder), std::move(opened.state),
                                              std::move(opened.ram), clock);
    return std::unique_ptr<Simulator>(new Simulator(std::move(bus)));
}

RecorderState Simulator::state() {
    return m_bus->withRecorder([](RecorderModel& r) { return r.state(); });
}

std::vector<std::uint8_t> Simulator::ramImage() {
    return m_bus->withRecorder([](RecorderModel& r) { return r.ramImage(); });
}

std::vector<std::string> Simulator::commandLog() {
    return m_bus->withRecorder([](RecorderModel& r) { return r.commandLog(); });
}

std::vector<std::uint8_t> Simulator::readArea(AreaId id, std::uint64_t firstSector, std::uint64_t count) {
    std::vector<std::uint8_t> bytes(count * kSectorSize);
    const bool ok = m_bus->withRecorder(
        [&](RecorderModel& r) { return r.area(id).read(firstSector * kSectorSize, bytes); });
    if (!ok) bytes.clear();
    return bytes;
}

bool Simulator::writeArea(AreaId id, std::uint64_t firstSector, std::span<const std::uint8_t> bytes) {
    return m_bus->withRecorder(
        [&](RecorderModel& r) { return r.area(id).write(firstSector * kSectorSize, bytes); });
}

std::vector<SectorRange> Simulator::sectorsWithData(AreaId id) {
    return m_bus->withRecorder([&](RecorderModel& r) { return ib::sim::sectorsWithData(r.area(id)); });
}

std::string Simulator::persistenceError() {
    return m_bus->withRecorder([](RecorderModel& r) { return r.persistenceError(); });
}

void Simulator::setFaults(const Faults& faults) {
    m_bus->withRecorder([&](RecorderModel& r) { r.setFaults(faults); });
}

void Simulator::failNthCommand(VendorCode code, std::uint32_t n, FaultKind kind) {
    m_bus->withRecorder([&](RecorderModel& r) {
        Faults faults = r.state().faults;
        faults.failCommands.push_back({static_cast<std::uint8_t>(code), n, 0, kind});
        r.setFaults(faults);
    });
}

void Simulator::setLatency(const Latency& latency) {
    m_bus->withRecorder([&](RecorderModel& r) { r.setLatency(latency); });
}

void Simulator::replug() {
    m_bus->withRecorder([](RecorderModel& r) { r.powerCycle(); });
}

}  // namespace ib::sim
