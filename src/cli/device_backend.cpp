// The two device backends of the command line. See device_backend.h.
#include "cli/device_backend.h"

#include "platform/platform_services.h"
#include "sim/simulator.h"

namespace ib::cli {
namespace {

class SimulatorBackend final : public DeviceBackend {
public:
    explicit SimulatorBackend(std::unique_ptr<sim::Simulator> simulator) : m_sim(std::move(simulator)) {}
    VolumeProvider& volumes() override { return m_sim->volumes(); }
    UsbStorageEnumerator& devices() override { return m_sim->enumerator(); }
    DeviceEventSource& deviceEvents() override { return m_sim->events(); }

private:
    std::unique_ptr<sim::Simulator> m_sim;
};

class SystemBackend final : public DeviceBackend {
public:
    explicit SystemBackend(platform::PlatformServices& services) : m_services(services) {}
    VolumeProvider& volumes() override { return *m_services.volumes; }
    UsbStorageEnumerator& devices() override { return *m_services.storageList; }
    DeviceEventSource& deviceEvents() override { return *m_services.deviceEvents; }

private:
    platform::PlatformServices& m_services;
};

}  // namespace

std::unique_ptr<DeviceBackend> openSimulatorBackend(const std::filesystem::path& stateFolder, Clock& clock,
                                                    std::string& error) {
    auto simulator = sim::Simulator::openFolder(stateFolder, clock, error);
    if (!simulator) return nullptr;
    return std::make_unique<SimulatorBackend>(std::move(simulator));
}

std::unique_ptr<DeviceBackend> openSystemBackend(platform::PlatformServices& services) {
    return std::make_unique<SystemBackend>(services);
}

}  // namespace ib::cli
