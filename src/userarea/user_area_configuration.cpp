// Laying the partition plan down on the recorder. See user_area_configuration.h.
#include "userarea/user_area_configuration.h"

#include "operation/recorder_opening.h"
#include "operation/sector_sink.h"
#include "seams/replacement_file.h"
#include "seams/utf8_path.h"
#include "userarea/partition_content.h"
#include "userarea/user_area_plan.h"
#include "userarea/user_area_preflight.h"

namespace ib {
namespace {

// The common part of updatePartitionSetting and configureUserArea.
std::uint32_t layDownPlan(const OperationContext& ctx, bool withContent) {
    auto target = recorderPlanTarget(ctx, withContent ? PlanPurpose::Configuration : PlanPurpose::PartitionSetting);
    if (!target) return 0;
    DeviceSectorSink device(ctx.cmd);
    ContentStep content;
    if (withContent) {
        content = [&](const PartitionRecord& record, std::uint32_t, std::uint32_t start) {
            return writePartitionContent(ctx, record, start, device);
        };
    }
    if (!placeUserAreaPlan(ctx, *target, content).placed) return 0;
    if (withContent && !writeFirstSectorCopy(ctx, target->sector)) return 0;
    return ctx.cmd.WriteSectors(ctx.settings.indexTableSector, 1, target->sector.bytes()) ? 1 : 0;
}

}  // namespace

std::uint32_t updatePartitionSetting(const OperationContext& ctx) { return layDownPlan(ctx, false); }

std::uint32_t configureUserArea(const OperationContext& ctx) { return layDownPlan(ctx, true); }

std::uint32_t onConfigureUserArea(const OperationContext& ctx) {
    // The checks on the PC run before the first command; an unknown storage type is named first.
    if (ctx.settings.storage) {
        if (const auto stepError = failedPreflightStep(ctx, configureUserAreaPreflight(ctx))) {
            ctx.report.messageBoxThenPresence(*stepError);
            return 0;
        }
    }
    if (!openRecorder(ctx, {.reenableButtonsOnUiError = false})) return 0;
    if (ctx.cmd.GetMode() == kModeBootRom) {
        ctx.report.messageBoxThenPresence("Error 0x03: Please Sync Device first !");
        return 0;
    }
    ctx.report.showStepMessage("Start to configure user area .....");
    if (!configureUserArea(ctx)) {
        ctx.report.messageBox("Error 0x0a: configure user area error !");
        reselectUserArea(ctx);
        ctx.report.refreshDevicePresence();
        return 0;
    }
    ctx.report.showStepMessage("Format user area .....");
    if (!ctx.cmd.FormatUserArea()) {
        ctx.report.messageBoxThenPresence("Error 0x0c: format user area error !");
        return 0;
    }
    ctx.report.showStepMessage("configure user area done .....");
    ctx.report.messageBox("All process done", MessageBoxKind::Information);
    return 1;
}

bool writeFirstSectorCopy(const OperationContext& ctx, const IndexTableSector& sector) {
    const auto path = ctx.settings.workingDirectory / "UserAreaFirstSector";
    ReplacementFile copy(path);
    copy.stream().write(reinterpret_cast<const char*>(sector.bytes().data()),
                        static_cast<std::streamsize>(kSectorSize));
    if (copy.commit()) return true;
    ctx.report.messageBox("Error : cannot write " + utf8FromPath(path));
    return false;
}

}  // namespace ib
