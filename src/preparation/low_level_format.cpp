// The stand-alone "LowLevelFormat" operation: make sure the updater runs, then
// have the recorder low-level format its storage. See low_level_format.h.
#include "preparation/low_level_format.h"

#include "operation/recorder_opening.h"
#include "preparation/updater_download.h"

namespace ib {

std::uint32_t LowLevelFormatWorker(const OperationContext& ctx) {
    if (!openRecorder(ctx, {})) return 0;
    ctx.services.clock.sleepMs(2000);
    if (!syncIfInBootRom(ctx)) return 0;
    // The messages name NAND whatever storage is selected: the command carries no type.
    ctx.report.showStepMessage("QUB_LowLevelFormat for NAND");
    if (!ctx.cmd.LowLevelFormat()) {
        ctx.report.messageBoxThenPresence("Error : QUB_LowLevelFormaterror !");
        return 0;
    }
    ctx.report.showStepMessage("QUB_LowLevelFormat for NAND done .....");
    return 1;
}

}  // namespace ib
