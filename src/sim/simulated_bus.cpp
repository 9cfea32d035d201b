// The bus of the simulated recorder. See simulated_bus.h.
#include "sim/simulated_bus.h"

namespace ib::sim {

SimulatedBus::SimulatedBus(std::unique_ptr<RecorderBacking> backing, RecorderState state,
                           std::vector<std::uint8_t> ram, Clock& clock)
    : m_clock(clock),
      m_backing(std::move(backing)),
      m_recorder(std::move(state), std::move(ram), *m_backing, clock),
      m_decoys{DecoyDisk(DecoyKind::NotOpening), DecoyDisk(DecoyKind::InquiryFormat2),
               DecoyDisk(DecoyKind::IdentifyFails)} {}

std::vector<DecoyKind> decoysOf(const Faults& faults) {
    std::vector<DecoyKind> decoys;
    if (faults.decoyNotOpening) decoys.push_back(DecoyKind::NotOpening);
    if (faults.decoyInquiryFormat2) decoys.push_back(DecoyKind::InquiryFormat2);
    if (faults.decoyIdentifyFails) decoys.push_back(DecoyKind::IdentifyFails);
    return decoys;
}

std::vector<std::optional<DecoyKind>> SimulatedBus::letterSlots() const {
    const std::vector<DecoyKind> decoys = decoysOf(m_recorder.state().faults);
    std::vector<std::optional<DecoyKind>> slots(decoys.begin(), decoys.end());
    slots.emplace_back(std::nullopt);
    return slots;
}

bool SimulatedBus::volumeAt(char letter, std::optional<DecoyKind>& decoy) const {
    const auto slots = letterSlots();
    if (letter < kFirstDriveLetter || static_cast<std::size_t>(letter - kFirstDriveLetter) >= slots.size())
        return false;
    decoy = slots[static_cast<std::size_t>(letter - kFirstDriveLetter)];
    return true;
}

DecoyDisk& SimulatedBus::decoy(DecoyKind kind) { return m_decoys[static_cast<std::size_t>(kind)]; }

std::optional<SimulatedBus::Ticket> SimulatedBus::open(char letter, std::string* whyNot) {
    std::lock_guard lock(m_mutex);
    auto refuse = [whyNot](const char* why) -> std::optional<Ticket> {
        if (whyNot) *whyNot = why;
        return std::nullopt;
    };
    std::optional<DecoyKind> decoy;
    if (!volumeAt(letter, decoy)) return refuse("no volume at this letter");
    if (decoy == DecoyKind::NotOpening) return refuse("access denied");
    if (decoy) return Ticket{decoy, 0};
    if (!m_recorder.onBus()) return refuse("the recorder is off the bus");
    if (m_recorder.state().faults.openFindsNothing) return refuse("the recorder's volume does not open");
    return Ticket{std::nullopt, m_recorder.busGeneration()};
}

std::string SimulatedBus::volumeName(char letter) {
    std::lock_guard lock(m_mutex);
    std::optional<DecoyKind> decoy;
    if (!volumeAt(letter, decoy)) return "";
    if (decoy) return "simulated " + decoyDescription(*decoy);
    return m_recorder.state().mode == RecorderMode::BootRom ? "simulated recorder (boot ROM)"
                                                            : "simulated recorder (updater)";
}

std::string SimulatedBus::volumePort(char letter) {
    std::lock_guard lock(m_mutex);
    std::optional<DecoyKind> decoy;
    if (!volumeAt(letter, decoy) || decoy) return "";
    return m_recorder.state().portPath;
}

std::size_t SimulatedBus::volumeCount() {
    std::lock_guard lock(m_mutex);
    return letterSlots().size();
}

ScsiOutcome SimulatedBus::send(const Ticket& ticket, const ScsiRequest& request) {
    const ScsiCommand command{request.cdb, request.direction, request.data, request.data.size()};
    ScsiOutcome outcome;
    std::int64_t pauseMs = 0;
    {
        std::lock_guard lock(m_mutex);
        const bool reachesRecorder =
            !ticket.decoy && m_recorder.onBus() && ticket.busGeneration == m_recorder.busGeneration();
        if (!ticket.decoy && !reachesRecorder) return outcome;  // the device behind this volume is gone
        const ScsiResponse response =
            ticket.decoy ? decoy(*ticket.decoy).execute(command) : m_recorder.execute(command);
        outcome.completed = !response.failHostCall;
        outcome.status = response.status;
        outcome.sense.assign(response.sense.begin(), response.sense.end());
        outcome.transferred = request.direction == DataDirection::In ? response.delivered
                              : response.good()                      ? command.dataLength
                                                                     : 0;
        pauseMs = m_pacer.pauseMsFor(m_recorder.state().latency, command.dataLength, m_clock.nowMs());
    }
    if (pauseMs > 0) m_clock.sleepMs(pauseMs);
    return outcome;
}

bool SimulatedBus::recorderPresent() {
    std::lock_guard lock(m_mutex);
    return m_recorder.onBus();
}

std::vector<BusChange> SimulatedBus::takeBusChanges() {
    std::lock_guard lock(m_mutex);
    m_recorder.onBus();
    return m_recorder.takeBusChanges();
}

std::vector<std::string> SimulatedBus::decoyCommandLog(DecoyKind kind) {
    std::lock_guard lock(m_mutex);
    return decoy(kind).commandLog();
}

}  // namespace ib::sim
