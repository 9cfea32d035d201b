// The user area's pre-flight plans. See user_area_preflight.h.
#include "userarea/user_area_preflight.h"

#include "device/sector.h"
#include "userarea/bitmap_conversion.h"
#include "userarea/partition_content.h"
#include "userarea/partition_plan_reader.h"
#include "userarea/plan_placement.h"

namespace ib {
namespace {

bool packedFromFolder(const PartitionRecord& record) {
    return record.kind == PartitionKind::Fat && !record.dirPath.empty();
}

std::uint64_t partitionBytes(const PartitionRecord& record) {
    return record.takesRest ? UINT64_MAX : std::uint64_t{record.sizeSectors} * kSectorSize;
}

}  // namespace

PartitionPlan plannedPartitions(const OperationContext& ctx) {
    const PlanLayout layout = ctx.settings.moviNandLayout ? PlanLayout::MoviNand : PlanLayout::Shared;
    return readPartitionPlan(ctx.settings.configurationPath(), ctx.settings.workingDirectory, layout);
}

PreflightPlan userAreaContentPreflight(const OperationContext& ctx, const PartitionPlan& plan) {
    PreflightPlan preflight;
    for (std::size_t i = 0; i < plan.records.size(); ++i) {
        const PartitionRecord& record = plan.records[i];
        // A packed image is made while writing, a bitmap is converted first: both are checked when copied.
        if (record.kind == PartitionKind::NoContent || record.fileName.empty() || packedFromFolder(record) ||
            isBitmapName(record.fileName))
            continue;
        const auto path = workingDirectoryPath(ctx.settings.workingDirectory, record.fileName);
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) continue;
        preflight.inputs.push_back({path, partitionBytes(record), "partition Part_" + std::to_string(i)});
    }
    return preflight;
}

PreflightPlan userAreaOutputPreflight(const OperationContext& ctx, const PartitionPlan& plan) {
    PreflightPlan preflight;
    const std::filesystem::path& workdir = ctx.settings.workingDirectory;
    for (const PartitionRecord& record : plan.records) {
        if (!packedFromFolder(record)) continue;
        if (preflight.tools.empty()) preflight.tools.push_back({"TreeBaler", ctx.services.locateTool("TreeBaler")});
        // The rest partition's size waits for the capacity: only its file is checked.
        const std::uint64_t bytes = record.takesRest ? 0 : partitionBytes(record);
        preflight.outputs.push_back({packedImagePath(ctx, record), bytes});
    }
    preflight.outputs.push_back({workdir / "UserAreaFirstSector", kSectorSize});
    return preflight;
}

std::uint64_t userAreaImageEnd(const OperationContext& ctx, const PartitionPlan& plan,
                               const IndexTableSector& bootImages) {
    const auto contentBytes = [&ctx](const PartitionRecord& record) -> std::uint64_t {
        if (record.kind == PartitionKind::NoContent) return 0;
        // The packing tool makes an image of the partition's size; the rest partition's is not known yet.
        if (packedFromFolder(record)) return record.takesRest ? 0 : partitionBytes(record);
        std::error_code ec;
        const auto bytes = std::filesystem::file_size(workingDirectoryPath(ctx.settings.workingDirectory,
                                                                           record.fileName), ec);
        return ec ? 0 : sectorsFor(bytes) * kSectorSize;
    };
    IndexTableSector sector = bootImages;
    std::uint64_t end = 0;
    const bool placed = placePlan(plan, sector, ctx.settings.indexTableSector,
                                  [&](const PartitionRecord& record, std::uint32_t, std::uint32_t start) {
                                      end = std::max(end, std::uint64_t{start} * kSectorSize + contentBytes(record));
                                      return true;
                                  });
    return placed ? end : 0;
}

std::vector<PreflightStep> configureUserAreaPreflight(const OperationContext& ctx) {
    const PartitionPlan plan = plannedPartitions(ctx);
    constexpr const char* kConfigureError = "Error 0x0a: configure user area error !";
    return {{userAreaContentPreflight(ctx, plan), kConfigureError}, {userAreaOutputPreflight(ctx, plan), kConfigureError}};
}

}  // namespace ib
