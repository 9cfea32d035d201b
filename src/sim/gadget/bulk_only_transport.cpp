// Serving commands over Bulk-Only Transport. See bulk_only_transport.h.
#include "sim/gadget/bulk_only_transport.h"

#include <algorithm>
#include <array>

namespace ib::sim::gadget {
namespace {

constexpr std::size_t kDrainPiece = 64 * 1024;
// A whole high-speed packet: an over-long transfer is then seen as such and
// leaves nothing behind to be taken for the next command.
constexpr std::size_t kCbwReadLength = 512;

}  // namespace

BulkOnlyTransport::BulkOnlyTransport(BulkPipe& pipe, ScsiTarget& target, LinkState& link)
    : m_pipe(pipe), m_target(target), m_link(link) {}

std::optional<CommandBlockWrapper> BulkOnlyTransport::receiveCommand() {
    std::array<std::uint8_t, kCbwReadLength> bytes{};
    const auto received = m_pipe.receive(bytes);
    if (!received) return std::nullopt;
    auto cbw = parseCommandBlockWrapper(std::span<const std::uint8_t>(bytes).first(*received));
    if (!cbw) m_pipe.halt();
    return cbw;
}

std::optional<ScsiResponse> BulkOnlyTransport::answer(const CommandBlockWrapper& cbw) {
    const std::uint64_t seen = m_link.generation();
    if (cbw.dataTransferLength > kMaxBufferedDataPhase) {
        answerOversized(cbw, seen);
        return std::nullopt;
    }
    return answerBuffered(cbw, seen);
}

std::optional<ScsiResponse> BulkOnlyTransport::answerBuffered(const CommandBlockWrapper& cbw,
                                                              std::uint64_t seen) {
    m_data.assign(cbw.dataTransferLength, 0);
    std::size_t length = m_data.size();
    if (cbw.direction == DataDirection::Out) {
        const auto received = m_pipe.receive(m_data);
        if (!received) return std::nullopt;
        length = *received;  // a short packet ends the data phase early
    }

    const ScsiCommand command{cbw.cdb(), cbw.direction, std::span<std::uint8_t>(m_data).first(length),
                              length};
    const ScsiResponse response = m_target.execute(command);

    std::uint32_t residue = 0;
    if (cbw.direction == DataDirection::In) {
        residue = padDataIn(m_data, response.delivered);
        if (!sendOnLink(m_data, seen)) return response;
    } else if (cbw.direction == DataDirection::Out) {
        // Data the target refused counts as not processed.
        residue = cbw.dataTransferLength - static_cast<std::uint32_t>(response.good() ? length : 0);
    }
    sendStatus(cbw, residue, cswStatusFor(response), seen);
    return response;
}

void BulkOnlyTransport::answerOversized(const CommandBlockWrapper& cbw, std::uint64_t seen) {
    m_data.assign(std::min<std::size_t>(cbw.dataTransferLength, kDrainPiece), 0);
    for (std::size_t left = cbw.dataTransferLength; left > 0;) {
        const auto piece = std::span<std::uint8_t>(m_data).first(std::min(left, m_data.size()));
        if (cbw.direction == DataDirection::Out) {
            const auto received = m_pipe.receive(piece);
            if (!received) return;
            if (*received < piece.size()) break;  // the host ended the phase early
        } else if (!sendOnLink(piece, seen)) {
            return;
        }
        left -= piece.size();
    }
    sendStatus(cbw, cbw.dataTransferLength, CswStatus::PhaseError, seen);
}

bool BulkOnlyTransport::sendOnLink(std::span<const std::uint8_t> bytes, std::uint64_t seen) {
    return m_link.generation() == seen && m_pipe.send(bytes);
}

void BulkOnlyTransport::sendStatus(const CommandBlockWrapper& cbw, std::uint32_t residue, CswStatus status,
                                   std::uint64_t seen) {
    sendOnLink(commandStatusWrapper(cbw.tag, residue, status), seen);
}

}  // namespace ib::sim::gadget
