// Opening and closing steps of the device operations. See recorder_opening.h.
#include "operation/recorder_opening.h"

#include "operation/status_colours.h"
#include "operation/status_texts.h"

namespace ib {

void showOpenFailure(const OperationContext& ctx) {
    const std::string refusal = ctx.cmd.openRefusal();
    ctx.report.messageBoxThenPresence(refusal.empty() ? "Error 0x02: No QUB device !" : refusal);
}

bool openRecorder(const OperationContext& ctx, const Opening& how) {
    if (!ctx.settings.storage) {
        ctx.report.messageBox(how.uiErrorText);
        if (how.reenableButtonsOnUiError) ctx.report.enableOperationButtons(true);
        return false;
    }
    ctx.report.setProgress(text::kConnecting, 0, kGrey, kGrey);
    if (!ctx.cmd.Open()) {
        showOpenFailure(ctx);
        return false;
    }
    return true;
}

void reselectUserArea(const OperationContext& ctx) {
    std::uint32_t ignored = 0;
    ctx.cmd.SelectStorage(storageCode(ctx.settings.storage.value()), kUserArea, ignored);
}

}  // namespace ib
