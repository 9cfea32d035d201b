// The simulated volumes as the host's drive-letter scan sees them: the decoys
// the faults ask for, then the recorder, from letter 'D'. Handles run commands
// on the simulated bus; a command the device does not complete comes back with
// ScsiOutcome.completed = false, like a failed pass-through call.
#pragma once

#include <functional>
#include <memory>

#include "seams/pass_through.h"
#include "sim/simulated_bus.h"

namespace ib::sim {

class SimVolumes final : public VolumeProvider {
public:
    // `deliverEvents` runs before every open and after every command, so the
    // recorder's removal and arrival reach the host in step with what its
    // commands see, as a real device's notifications come before its volume
    // can be opened again.
    SimVolumes(std::shared_ptr<SimulatedBus> bus, std::function<void()> deliverEvents)
        : m_bus(std::move(bus)), m_deliverEvents(std::move(deliverEvents)) {}
    std::unique_ptr<VolumeHandle> openVolume(char letter, std::string* whyNot = nullptr) override;
    std::string volumeName(char letter) const override;
    std::string volumePort(char letter) const override { return m_bus->volumePort(letter); }
    std::size_t volumeCount() const { return m_bus->volumeCount(); }

private:
    std::shared_ptr<SimulatedBus> m_bus;
    std::function<void()> m_deliverEvents;
};

}  // namespace ib::sim
