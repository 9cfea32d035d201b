// The success rule of a pass-through command. See sg_outcome.h.
#include "platform/linux/sg_outcome.h"

#include <scsi/sg_pt.h>

#include <algorithm>
#include <string>
#include <system_error>

#include "seams/system_error_text.h"

namespace ib::platform {
namespace {

bool deviceAnswered(int resultCategory) {
    return resultCategory == SCSI_PT_RESULT_GOOD || resultCategory == SCSI_PT_RESULT_STATUS ||
           resultCategory == SCSI_PT_RESULT_SENSE;
}

std::string errnoText(int error) { return systemErrorText(std::error_code(error, std::generic_category())); }

// Why a call did not complete, in the system's words where it has them.
std::string callFailure(const PassThroughReport& report) {
    if (report.submitResult < 0) return errnoText(-report.submitResult);
    if (report.submitResult == SCSI_PT_DO_TIMEOUT) return "the command timed out";
    if (report.submitResult != 0)
        return "the pass-through refused the command (" + std::to_string(report.submitResult) + ")";
    if (report.resultCategory == SCSI_PT_RESULT_OS_ERR) return errnoText(report.osError);
    return "the USB transport failed (host and driver status " + std::to_string(report.transportError) + ")";
}

}  // namespace

ScsiOutcome outcomeOf(const PassThroughReport& report) {
    ScsiOutcome outcome;
    // A command that never reached the device has no status, sense or data to report.
    if (report.submitResult != 0 || !deviceAnswered(report.resultCategory)) {
        outcome.callFailure = callFailure(report);
        if (report.submitResult != 0) return outcome;
    }
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
