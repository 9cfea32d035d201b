// The success rule of one command. See scsi_status_rule.h.
#include "device/scsi_status_rule.h"

#include <cstdio>

#include "device/scsi_sense.h"

namespace ib {
namespace {

enum class ScsiStatus : std::uint8_t {
    Good = 0x00,
    CheckCondition = 0x02,
    ConditionMet = 0x04,
    Busy = 0x08,
    ReservationConflict = 0x18,
    TaskSetFull = 0x28,
    TaskAborted = 0x40,
};

std::string statusWords(std::uint8_t status) {
    const char* name = nullptr;
    switch (static_cast<ScsiStatus>(status)) {
    case ScsiStatus::Busy: name = "BUSY"; break;
    case ScsiStatus::ReservationConflict: name = "RESERVATION CONFLICT"; break;
    case ScsiStatus::TaskSetFull: name = "TASK SET FULL"; break;
    case ScsiStatus::TaskAborted: name = "TASK ABORTED"; break;
    default: break;
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, "%02Xh", unsigned{status});
    return std::string("status ") + (name ? std::string(name) + " (" + hex + ")" : hex);
}

StatusJudgement judgeCheckCondition(const ScsiOutcome& outcome) {
    const auto sense = decodeSense(outcome.sense);
    if (!sense) return {CommandVerdict::Failed, "CHECK CONDITION without sense data"};
    const std::string answer = "CHECK CONDITION, " + describeSense(*sense);
    switch (sense->key) {
    case SenseKey::RecoveredError:
        return {CommandVerdict::Succeeded, answer};
    case SenseKey::UnitAttention:
        return {CommandVerdict::SendOnceMore, answer};
    default:
        return {CommandVerdict::Failed, answer};
    }
}

}  // namespace

StatusJudgement judgeOutcome(const ScsiOutcome& outcome, ScsiStatusRule rule) {
    if (!outcome.completed) return {CommandVerdict::Failed, ""};
    if (rule == ScsiStatusRule::CallOnly) return {CommandVerdict::Succeeded, ""};
    switch (static_cast<ScsiStatus>(outcome.status)) {
    case ScsiStatus::Good:
    case ScsiStatus::ConditionMet:
        return {CommandVerdict::Succeeded, ""};
    case ScsiStatus::CheckCondition:
        return judgeCheckCondition(outcome);
    default:
        return {CommandVerdict::Failed, statusWords(outcome.status)};
    }
}

}  // namespace ib
