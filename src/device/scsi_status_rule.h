// How one command's fate is read from what the pass-through reported. A call
// that failed (timeout, reset, a device that left) fails the command. Of the
// device's answers, GOOD succeeds and CHECK CONDITION fails, with two
// exceptions: UNIT ATTENTION, which a device gives once after a reset without
// carrying the command out, asks for the command to be sent once more, and
// RECOVERED ERROR means the device carried it out. Any other status (BUSY,
// RESERVATION CONFLICT, ...) fails the command too.
#pragma once

#include <string>

#include "seams/pass_through.h"

namespace ib {

enum class ScsiStatusRule {
    Checked,   // status and sense decide, as above
    CallOnly,  // the call alone decides; status and sense are ignored, for a
               // recorder that answers CHECK CONDITION to commands it carried out
};

enum class CommandVerdict { Succeeded, SendOnceMore, Failed };

struct StatusJudgement {
    CommandVerdict verdict = CommandVerdict::Failed;
    // The device's answer when it was not GOOD, decoded for the log:
    // "CHECK CONDITION, ILLEGAL REQUEST, ... (sense key 5h, ASC 24h, ASCQ 00h)".
    // Empty for GOOD, under CallOnly and after a failed call.
    std::string answer;
};

[[nodiscard]] StatusJudgement judgeOutcome(const ScsiOutcome& outcome, ScsiStatusRule rule);

}  // namespace ib
