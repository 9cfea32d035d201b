// A SCSI target served over USB Bulk-Only Transport: each CBW, a data phase of
// exactly the length the host asked for, the target's answer, the CSW. Driven by
// the gadget's bulk thread one command at a time:
//
//   BulkOnlyTransport transport(pipe, model, link);
//   if (auto cbw = transport.receiveCommand()) transport.answer(*cbw);
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/gadget/bot_wrappers.h"
#include "sim/gadget/bulk_pipe.h"
#include "sim/gadget/link_state.h"
#include "sim/scsi_target.h"

namespace ib::sim::gadget {

// Data phases up to this size are buffered and given to the target. usb-storage
// sends at most 120 KiB per command; a larger one cannot be a recorder command
// (they carry 64 KiB at most) and is drained or filled without the target.
inline constexpr std::size_t kMaxBufferedDataPhase = 256 * 1024;

class BulkOnlyTransport {
public:
    BulkOnlyTransport(BulkPipe& pipe, ScsiTarget& target, LinkState& link);

    // The next command from the host. Nothing when the link went down first, or
    // when the bytes were no valid CBW: then both endpoints are halted, as the
    // transport demands, until the host's reset recovery.
    std::optional<CommandBlockWrapper> receiveCommand();

    // Runs the data phase and the command and sends the status wrapper. The
    // target's response, or nothing when the target was not reached (the link
    // went down during the data-out phase, or the data phase was oversized);
    // a reset of the link after the command ran stops what is left to send.
    std::optional<ScsiResponse> answer(const CommandBlockWrapper& cbw);

private:
    std::optional<ScsiResponse> answerBuffered(const CommandBlockWrapper& cbw, std::uint64_t seen);
    void answerOversized(const CommandBlockWrapper& cbw, std::uint64_t seen);
    // Sends unless the link was reset since `seen` (the host no longer waits for it).
    bool sendOnLink(std::span<const std::uint8_t> bytes, std::uint64_t seen);
    void sendStatus(const CommandBlockWrapper& cbw, std::uint32_t residue, CswStatus status,
                    std::uint64_t seen);

    BulkPipe& m_pipe;
    ScsiTarget& m_target;
    LinkState& m_link;
    std::vector<std::uint8_t> m_data;
};

}  // namespace ib::sim::gadget
