// The full update process. See full_update.h.
#include "update/full_update.h"

#include "bootarea/boot_area_burn.h"
#include "bootarea/firmware_set.h"
#include "operation/preflight.h"
#include "operation/recorder_opening.h"
#include "operation/status_colours.h"
#include "operation/status_texts.h"
#include "preparation/updater_download.h"
#include "userarea/user_area_configuration.h"
#include "userarea/user_area_preflight.h"

namespace ib {
namespace {

// The serial-flash burn with the user area configured after it when asked,
// and the closing status line.
std::uint32_t burnSerialFlashAndReport(const OperationContext& ctx, std::uint32_t n) {
    UserAreaStep configure;
    if (ctx.settings.configureUserArea) configure = [&ctx] { return configureUserArea(ctx); };
    const std::uint32_t burnt = burnSerialFlash(ctx, n, configure);
    ctx.report.setProgressTextColour(kBlack);
    if (burnt)
        ctx.report.setProgress(text::kProcessSucceeded, 100, kGreen, kBlack);
    else
        ctx.report.setProgress(text::kProcessFailed, 100, kRed, kBlack);
    ctx.report.enableOperationButtons(true);
    return burnt;
}

}  // namespace

std::vector<PreflightStep> fullUpdatePreflight(const OperationContext& ctx, std::uint32_t n) {
    const bool serialFlash = *ctx.settings.storage == StorageType::SerialFlash;
    std::vector<PreflightStep> steps{
        {firmwarePreflightPlan(ctx, n, serialFlash ? BurnKind::SerialFlash : BurnKind::BlockStorage),
         serialFlash ? "" : "Error 0x07: Burn-in Firmware error !"}};
    if (ctx.settings.configureUserArea) {
        const PartitionPlan plan = plannedPartitions(ctx);
        steps.push_back({userAreaContentPreflight(ctx, plan), "Error 0x10: Update 1st sector partition setting error !"});
        steps.push_back({userAreaOutputPreflight(ctx, plan), "Error 0x0a: configure user area error !"});
    }
    return steps;
}

namespace {

// Steps of the full update before its closing command.
std::uint32_t fullUpdateSteps(const OperationContext& ctx) {
    const OperationSettings& settings = ctx.settings;
    OperationReporter& report = ctx.report;
    GeneralStorageCmd& cmd = ctx.cmd;
    // Shows the message, runs the clean-up, shows the recorder's presence.
    const auto fail = [&](const char* message, bool reselect = false) {
        if (*message) report.messageBox(message);  // a step without a message of its own shows none
        if (reselect) reselectUserArea(ctx);
        report.refreshDevicePresence();
        return 0u;
    };
    report.enableOperationButtons(false);
    if (!settings.storage) {
        report.messageBox("Error 0x01: UI parameter error !");
        report.enableOperationButtons(true);
        return 0;
    }
    // Everything the PC can check is checked before the first command, the
    // updater download included: a problem found later would leave the
    // recorder changed although the message says nothing was sent.
    const std::uint32_t n = settings.firmwareCount();
    if (n == 0 || n > 10) return fail("Error 0x14: firmware number error !");
    if (const auto stepError = failedPreflightStep(ctx, fullUpdatePreflight(ctx, n)))
        return fail(stepError->c_str());

    report.setProgress(text::kConnecting, 0, kGrey, kGrey);
    if (!cmd.Open()) {
        showOpenFailure(ctx);
        return 0u;
    }
    ctx.services.clock.sleepMs(2000);

    if (cmd.GetMode() == kModeBootRom) {
        report.setDeviceEventsEnabled(false);  // the recorder leaves and returns during the download
        report.setProgress(text::kDownloadAgent, 100, kBlue, kBlack);
        if (!DownloadUpdater(ctx, 100)) {
            reportUpdaterFailure(ctx);
            report.setDeviceEventsEnabled(true);
            return 0;
        }
        report.setDeviceEventsEnabled(true);
    }

    if (settings.configureBootArea || cmd.GetMode() == kModeBootRom) {
        if (settings.configureBootArea && settings.changeBootSize) {
            report.showStepMessage("change boot size .....");
            if (!cmd.SetBootSize(settings.bootSizeUnits << 13)) return fail("Error 0x05: Change boot size error !");
        }
        report.showStepMessage("low level format .....");
        if (!cmd.LowLevelFormat()) return fail("Error 0x06: Low level format boot area fail !");
    }

    if (*settings.storage == StorageType::SerialFlash) return burnSerialFlashAndReport(ctx, n);

    report.showStepMessage("Start to download code .....");
    if (!burnBlockStorage(ctx, n)) return fail("Error 0x07: Burn-in Firmware error !", true);
    if (settings.configureUserArea) {
        report.showStepMessage("Update 1st sector partition setting .....");
        if (!updatePartitionSetting(ctx)) return fail("Error 0x10: Update 1st sector partition setting error !", true);
        report.showStepMessage("Format user area .....");
        if (!cmd.FormatUserArea()) return fail("Error 0x0c: format user area error !");
        report.showStepMessage("Start to configure user area .....");
        if (!configureUserArea(ctx)) return fail("Error 0x0a: configure user area error !", true);
    }
    report.showStepMessage("Burn-in Boot process done .....");
    reselectUserArea(ctx);
    report.enableOperationButtons(true);
    return 1;
}

}  // namespace

std::uint32_t runFullUpdate(const OperationContext& ctx, UsbScsiCmd& session) {
    const std::uint32_t result = fullUpdateSteps(ctx);
    session.EndSession();  // on every path; its failure is not reported
    ctx.report.keepStatusOnNextRemoval();
    return result;
}

}  // namespace ib
