// Pass-through request fields and reply mapping. See pass_through_result.h.
#include "platform/windows/pass_through_result.h"

#include <algorithm>

namespace ib::platform {

std::optional<PassThroughFields> passThroughFields(const ScsiRequest& request) {
    const bool direct = request.kind == TransferKind::Direct;
    if (request.cdb.size() != 6 && request.cdb.size() != 16) return std::nullopt;
    if (direct ? request.direction == DataDirection::In : request.direction == DataDirection::Out)
        return std::nullopt;
    if (!direct && request.data.size() > kBufferedDataBytes) return std::nullopt;
    if (request.data.size() > UINT32_MAX) return std::nullopt;
    PassThroughFields fields;
    fields.direct = direct;
    fields.cdbLength = static_cast<std::uint8_t>(request.cdb.size());
    fields.dataIn = direct ? 0 : 1;
    fields.dataTransferLength = static_cast<std::uint32_t>(request.data.size());
    fields.timeOutValue = request.timeoutSeconds;
    return fields;
}

ScsiOutcome outcomeOf(const PassThroughReply& reply) {
    ScsiOutcome outcome;
    if (!reply.callSucceeded) {
        outcome.callFailure = reply.callFailure;
        return outcome;
    }
    outcome.completed = true;
    outcome.status = reply.scsiStatus;
    const std::size_t senseLength = std::min<std::size_t>(reply.senseInfoLength, reply.senseArea.size());
    outcome.sense.assign(reply.senseArea.begin(), reply.senseArea.begin() + static_cast<std::ptrdiff_t>(senseLength));
    outcome.transferred = std::min<std::size_t>(reply.dataTransferLength, reply.requestedLength);
    return outcome;
}

}  // namespace ib::platform
