// Volumes of the simulated bus. See sim_volumes.h.
#include "sim/sim_volumes.h"

namespace ib::sim {
namespace {

class SimVolumeHandle final : public VolumeHandle {
public:
    // Holding the bus keeps it alive as long as any handle is open.
    SimVolumeHandle(std::shared_ptr<SimulatedBus> bus, SimulatedBus::Ticket ticket,
                    const std::function<void()>& deliverEvents)
        : m_bus(std::move(bus)), m_ticket(ticket), m_deliverEvents(deliverEvents) {}
    ScsiOutcome send(const ScsiRequest& request) override {
        ScsiOutcome outcome = m_bus->send(m_ticket, request);
        if (m_deliverEvents) m_deliverEvents();
        return outcome;
    }

private:
    std::shared_ptr<SimulatedBus> m_bus;
    SimulatedBus::Ticket m_ticket;
    std::function<void()> m_deliverEvents;
};

}  // namespace

std::unique_ptr<VolumeHandle> SimVolumes::openVolume(char letter, std::string* whyNot) {
    if (m_deliverEvents) m_deliverEvents();
    const auto ticket = m_bus->open(letter, whyNot);
    if (!ticket) return nullptr;
    return std::make_unique<SimVolumeHandle>(m_bus, *ticket, m_deliverEvents);
}

std::string SimVolumes::volumeName(char letter) const { return m_bus->volumeName(letter); }

}  // namespace ib::sim
