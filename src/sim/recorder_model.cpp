// The simulated recorder's command handling. See recorder_model.h.
#include "sim/recorder_model.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <utility>

#include "device/sector.h"
#include "device/vendor_command.h"
#include "sim/command_log.h"

namespace ib::sim {
namespace {

constexpr std::uint8_t kVendorOpcode = 0xFA;

bool isVendorBlock(std::span<const std::uint8_t> cdb) { return !cdb.empty() && cdb[0] == kVendorOpcode; }

}  // namespace

RecorderModel::RecorderModel(RecorderState state, std::vector<std::uint8_t> ram, RecorderBacking& backing,
                             Clock& clock)
    : m_state(std::move(state)),
      m_ram(std::move(ram)),
      m_backing(backing),
      m_clock(clock),
      m_storage(m_state, m_backing),
      m_recentLog(backing.logLinesInMemory()) {}

InquiryIdentity RecorderModel::identity() const {
    return {0x01, "QUB", m_state.mode == RecorderMode::BootRom ? "USB_BOOT_ROM" : "CARD_READER", "1.00"};
}

ScsiResponse RecorderModel::execute(const ScsiCommand& command) {
    signalHostAt(command.cdb);
    const ScsiResponse response =
        isVendorBlock(command.cdb) ? executeVendor(command) : m_standard.execute(command, identity());
    m_standard.remember(response);
    log(command, response);
    m_backing.saveState(m_state);
    return response;
}

void RecorderModel::log(const ScsiCommand& command, const ScsiResponse& response) {
    std::string line = commandLogLine(command.cdb, command.direction, command.dataLength, response.good());
    // Sector transfers come in streaks of thousands: their lines may be stored in blocks.
    const bool bulk = command.dataLength >= kSectorSize;
    m_backing.appendLog(line, bulk ? LogTiming::MayWait : LogTiming::Now);
    m_recentLog.add(std::move(line));
}

ScsiResponse RecorderModel::executeVendor(const ScsiCommand& command) {
    // A refused command is answered as a device answers it: CHECK CONDITION
    // with sense, through a host call that completes. Only a data phase the
    // command cannot have breaks the transport (on USB a phase error).
    if (!hasVendorSignature(command.cdb)) return checkCondition(refusal::kInvalidOpcode);
    const std::uint8_t code = command.cdb[3];
    if (const auto fault = consumeFault(code)) {
        return *fault == FaultKind::CheckCondition ? checkCondition(refusal::kInternalFailure)
                                                   : hostCallFailure(refusal::kInternalFailure);
    }
    const VendorCommandRule* rule = findVendorRule(code);
    if (!rule) return checkCondition(refusal::kInvalidOpcode);
    if (const auto malformed = checkVendorShape(*rule, command)) {
        return *malformed == refusal::kDataPhaseError ? hostCallFailure(*malformed) : checkCondition(*malformed);
    }
    if (!rule->allowedIn(m_state.mode)) return checkCondition(refusal::kInvalidOpcode);
    const CommandOutcome outcome = carryOut(*rule, command);
    if (outcome.refusal) return checkCondition(*outcome.refusal);
    return goodResponse(outcome.delivered);
}

CommandOutcome RecorderModel::carryOut(const VendorCommandRule& rule, const ScsiCommand& command) {
    const auto cdb = command.cdb;
    const auto data = command.data.first(command.dataLength);
    switch (rule.code) {
    case VendorCode::Identify:
        return identify(data);
    case VendorCode::Download:
        return download(data);
    case VendorCode::StartDownloaded:
        return startDownloaded();
    case VendorCode::ReadRegister:
        return readRegister(bigEndian32(cdb, 4), data);
    case VendorCode::WriteRegister:
        m_state.registers[bigEndian32(cdb, 4)] = cdb[8];
        return CommandOutcome::done();
    case VendorCode::SelectStorage:
        return m_storage.select(cdb[4], cdb[5], data);
    case VendorCode::ReadSectors:
        return m_storage.read(bigEndian32(cdb, 4), bigEndian16(cdb, 8), data);
    case VendorCode::WriteSectors:
        return m_storage.write(bigEndian32(cdb, 4), bigEndian16(cdb, 8), data);
    case VendorCode::SetBootSize:
        return m_storage.setBootSize(bigEndian32(cdb, 4));
    case VendorCode::FormatUserArea:
        return m_storage.formatUserArea();
    case VendorCode::LowLevelFormat:
        return m_storage.lowLevelFormat();
    case VendorCode::EndSession:
        return endSession();
    }
    return CommandOutcome::refused(refusal::kInvalidOpcode);
}

CommandOutcome RecorderModel::identify(std::span<std::uint8_t> reply) const {
    std::fill(reply.begin(), reply.end(), std::uint8_t{0});
    if (m_state.mode == RecorderMode::BootRom) {
        reply[0] = 0xAA;
        reply[1] = 0x55;
    } else {
        std::memcpy(reply.data(), "UPDATER", 7);
        std::memcpy(reply.data() + 9, "QUB", 3);
        std::memcpy(reply.data() + 12, "1.00", 4);
    }
    return CommandOutcome::done(reply.size());
}

CommandOutcome RecorderModel::download(std::span<const std::uint8_t> bytes) {
    if (m_ram.size() + bytes.size() > kRamCapacityBytes)
        return CommandOutcome::refused(refusal::kInsufficientResources);
    m_ram.insert(m_ram.end(), bytes.begin(), bytes.end());
    m_backing.appendRam(bytes);
    ++m_state.counters.downloads;
    return CommandOutcome::done();
}

CommandOutcome RecorderModel::startDownloaded() {
    if (m_ram.empty()) return CommandOutcome::refused(refusal::kSequenceError);
    // The command completes; then the recorder drops off the bus to run the updater.
    m_busChanges.push_back({false, m_state.mode});
    m_state.mode = RecorderMode::Updater;
    m_state.selection.reset();
    m_state.awayUntilMs = m_clock.nowMs() + m_state.restartDelayMs;
    ++m_state.counters.starts;
    ++m_busGeneration;
    return CommandOutcome::done();
}

CommandOutcome RecorderModel::readRegister(std::uint32_t address, std::span<std::uint8_t> reply) const {
    const auto it = m_state.registers.find(address);
    reply[0] = it == m_state.registers.end() ? 0 : it->second;
    return CommandOutcome::done(1);
}

CommandOutcome RecorderModel::endSession() {
    m_state.selection.reset();
    ++m_state.counters.sessions;
    return CommandOutcome::done();
}

void RecorderModel::signalHostAt(std::span<const std::uint8_t> cdb) {
    auto& armed = m_state.faults.signalHost;
    if (!armed || !hasVendorSignature(cdb) || cdb[3] != armed->code || --armed->nth > 0) return;
    const int signal = armed->signal;
    armed.reset();
    std::raise(signal);
}

std::optional<FaultKind> RecorderModel::consumeFault(std::uint8_t code) {
    auto& faults = m_state.faults.failCommands;
    std::optional<FaultKind> fires;
    for (CommandFault& fault : faults) {
        if (fault.code != code) continue;
        ++fault.seen;
        if (!fires && fault.seen >= fault.nth) fires = fault.kind;
    }
    std::erase_if(faults, [code](const CommandFault& f) { return f.code == code && f.seen >= f.nth; });
    return fires;
}

void RecorderModel::followCable() {
    const bool plugged = m_backing.cablePlugged();
    if (plugged == m_cablePlugged) return;
    m_cablePlugged = plugged;
    ++m_busGeneration;
    if (plugged) {
        m_busChanges.push_back({true, m_state.mode});
        return;
    }
    if (!m_state.awayUntilMs) m_busChanges.push_back({false, m_state.mode});  // one restarting has left already
    m_state.mode = RecorderMode::BootRom;
    m_state.selection.reset();
    m_state.awayUntilMs.reset();
    m_ram.clear();
    m_backing.clearRam();
    m_backing.saveState(m_state);
}

bool RecorderModel::onBus() {
    followCable();
    if (!m_cablePlugged) return false;
    if (!m_state.awayUntilMs) return true;
    if (restartingAt(m_state, m_clock.nowMs())) return false;
    m_state.awayUntilMs.reset();
    ++m_busGeneration;
    m_busChanges.push_back({true, m_state.mode});
    m_backing.saveState(m_state);
    return true;
}

std::vector<BusChange> RecorderModel::takeBusChanges() { return std::exchange(m_busChanges, {}); }

void RecorderModel::powerCycle() {
    if (onBus()) m_busChanges.push_back({false, m_state.mode});
    m_state.mode = RecorderMode::BootRom;
    m_state.selection.reset();
    m_state.awayUntilMs.reset();
    m_ram.clear();
    m_backing.clearRam();
    ++m_busGeneration;
    m_busChanges.push_back({true, m_state.mode});
    m_backing.saveState(m_state);
}

void RecorderModel::setFaults(const Faults& faults) {
    m_state.faults = faults;
    m_backing.saveState(m_state);
}

void RecorderModel::setLatency(const Latency& latency) {
    m_state.latency = latency;
    m_backing.saveState(m_state);
}

}  // namespace ib::sim
