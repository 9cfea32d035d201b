// Turns what the sg3_utils pass-through reports about one command into the
// command layer's ScsiOutcome. Pure, so the mapping can be tested without a
// device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "seams/pass_through.h"

namespace ib::platform {

// The pass-through's own report of one command, as its getters return it.
struct PassThroughReport {
    int submitResult = 0;    // do_scsi_pt: 0 once the command reached the device
    int resultCategory = 0;  // get_scsi_pt_result_category: SCSI_PT_RESULT_*
    int status = 0;          // get_scsi_pt_status_response; -1 when unknown
    std::span<const std::uint8_t> senseArea;  // the sense buffer handed to the pass-through
    int senseLength = 0;     // get_scsi_pt_sense_len
    int residue = 0;         // get_scsi_pt_resid
    std::size_t requestedLength = 0;  // bytes of the data phase asked for
    int osError = 0;         // get_scsi_pt_os_err: the errno of a failed system call
    int transportError = 0;  // get_scsi_pt_transport_err: host and driver status
};

// The device answered when the result is GOOD, STATUS or SENSE: the call
// completed, as a Windows pass-through call does when the device answers
// CHECK CONDITION, and the status and sense go to the command layer, which
// judges them. Transport and OS errors (timeouts, resets, a device that left)
// leave the call not completed. The transferred count is the request length
// minus the residue. A call that did not complete carries the system's words
// for why, for the log.
ScsiOutcome outcomeOf(const PassThroughReport& report);

}  // namespace ib::platform
