// Sense data and response builders of the simulated SCSI targets. See scsi_target.h.
#include "sim/scsi_target.h"

namespace ib::sim {

SenseData senseFor(const Refusal& refusal) {
    SenseData sense{};
    sense[0] = 0x70;  // current error, fixed format
    sense[2] = refusal.senseKey;
    sense[7] = kSenseLength - 8;  // additional sense length
    sense[12] = refusal.asc;
    sense[13] = refusal.ascq;
    return sense;
}

ScsiResponse goodResponse(std::size_t delivered) {
    ScsiResponse response;
    response.delivered = delivered;
    return response;
}

ScsiResponse checkCondition(const Refusal& refusal) {
    ScsiResponse response;
    response.status = kStatusCheckCondition;
    response.sense = senseFor(refusal);
    return response;
}

ScsiResponse hostCallFailure(const Refusal& refusal) {
    ScsiResponse response = checkCondition(refusal);
    response.failHostCall = true;
    return response;
}

}  // namespace ib::sim
