// Placing the partition plan. See user_area_plan.h.
#include "userarea/user_area_plan.h"

#include "userarea/content_fit.h"
#include "userarea/partition_plan_reader.h"
#include "seams/utf8_path.h"

namespace ib {
namespace {

PlanLayout layoutOf(const OperationSettings& settings) {
    return settings.moviNandLayout ? PlanLayout::MoviNand : PlanLayout::Shared;
}

// false after the message when the configuration file does not open.
bool planFileOpens(const OperationContext& ctx) {
    const auto iniPath = ctx.settings.configurationPath();
    if (checkPlanFile(iniPath)) return true;
    ctx.report.messageBox(planFileOpenError(iniPath));
    return false;
}

// moviNAND's user area starts an index table of its own, which records the area's size.
IndexTableSector freshMoviNandSector(std::uint32_t capacity) {
    IndexTableSector sector = IndexTableSector::fresh();
    sector.setUserAreaCapacity(capacity);
    return sector;
}

}  // namespace

std::optional<PlanTarget> recorderPlanTarget(const OperationContext& ctx, PlanPurpose purpose) {
    PlanTarget target{.layout = layoutOf(ctx.settings), .capacity = std::nullopt, .sector = {}};
    std::uint32_t capacity = 0;
    if (!ctx.cmd.SelectStorage(storageCode(ctx.settings.storage.value()), kUserArea, capacity)) return std::nullopt;
    target.capacity = capacity;
    if (!planFileOpens(ctx)) return std::nullopt;
    if (target.layout == PlanLayout::MoviNand) {
        target.sector = freshMoviNandSector(capacity);
    } else if (!ctx.cmd.ReadSectors(ctx.settings.indexTableSector, 1, target.sector.bytes()) ||
               !target.sector.isBurnt()) {
        ctx.report.messageBox(purpose == PlanPurpose::Configuration
                                  ? "Error 0x20: Please burn-in firmware first " +
                                        utf8FromPath(ctx.settings.configurationPath()) + " \n"
                                  : "Error 0x20: Please burn-in firmware first \n");
        return std::nullopt;
    }
    return target;
}

std::optional<PlanTarget> givenCapacityPlanTarget(const OperationContext& ctx, std::uint32_t capacity) {
    if (!planFileOpens(ctx)) return std::nullopt;
    const PlanLayout layout = layoutOf(ctx.settings);
    return PlanTarget{
        .layout = layout,
        .capacity = capacity,
        .sector = layout == PlanLayout::MoviNand ? freshMoviNandSector(capacity) : IndexTableSector::fresh()};
}

PlanPreview placeUserAreaPlan(const OperationContext& ctx, PlanTarget& target, const ContentStep& content) {
    const std::uint32_t tableSector = ctx.settings.indexTableSector;
    PlanPreview preview;
    preview.plan = readPartitionPlan(ctx.settings.configurationPath(), ctx.settings.workingDirectory, target.layout);
    if (target.capacity) resolveRestPartition(preview.plan, *target.capacity);
    preview.verdict = checkPlan(preview.plan, target.sector, tableSector);
    if (!preview.verdict.ok()) {
        ctx.report.showStepMessage(describePlanVerdict(preview.verdict));
        return preview;
    }
    if (const auto tooLong = findContentTooLong(preview.plan, ctx.settings.workingDirectory)) {
        ctx.report.showStepMessage(*tooLong);
        return preview;
    }
    preview.placed = placePlan(preview.plan, target.sector, tableSector,
                               [&](const PartitionRecord& record, std::uint32_t entry, std::uint32_t start) {
                                   preview.entries.push_back(entry);
                                   return !content || content(record, entry, start);
                               });
    return preview;
}

}  // namespace ib
