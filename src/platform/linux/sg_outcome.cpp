// The success rule of a pass-through command. See sg_outcome.h.
#include "platform/linux/sg_outcome.h"

#include <scsi/sg_pt.h>

#include <algorithm>

namespace ib::platform {
namespace {

bool deviceAnswered(int resultCategory) {
    return resultCategory == SCSI_PT_RESULT_GOOD || resultCategory == SCSI_PT_RESULT_STATUS ||
           resultCategory == SCSI_PT_RESULT_SENSE;
}

}  // namespace

ScsiOutcome outcomeOf(const PassThroughReport& report) {
    ScsiOutcome outcome;
    // A command that never reached the device has no status, sense or data to report.
    if (report.submitResult != 0) return outcome;

    outcome.completed = deviceAnswered(report.resultCategory);
    if (report.status >= 0 && report.status <= 0xFF) {
        outcome.status = static_cast<std::uint8_t>(report.status);
    }
    const auto senseLength =
        std::min(static_cast<std::size_t>(std::max(report.senseLength, 0)), report.senseArea.size());
    outcome.sense.assign(report.senseArea.begin(), report.senseArea.begin() + senseLength);
    const auto residue =
        std::min(static_cast<std::size_t>(std::max(report.residue, 0)), report.requestedLength);
    outcome.transferred = report.requestedLength - residue;
    return outcome;
}

}  // namespace ib::platform
