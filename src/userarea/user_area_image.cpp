// The user area written into an SD image file. See user_area_image.h.
#include "userarea/user_area_image.h"

#include <algorithm>
#include <vector>

#include "device/sector.h"
#include "operation/image_file_writes.h"
#include "operation/sector_sink.h"
#include "userarea/partition_content.h"
#include "userarea/partition_plan_reader.h"
#include "userarea/user_area_configuration.h"
#include "userarea/user_area_plan.h"

namespace ib {
namespace {

struct SectorRange {
    std::uint64_t start;
    std::uint64_t end;  // one past the last sector
};

// The sectors of every occupied entry, in sector order. Entry numbers say
// nothing of where a partition lies: UnitNumbers may come in any order.
std::vector<SectorRange> occupiedRanges(const IndexTableSector& sector) {
    std::vector<SectorRange> ranges;
    for (std::size_t i = 0; i < kIndexTableEntryCount; ++i) {
        const IndexTableEntry e = sector.entry(i);
        if (e.startSector != kFreeEntryStart)
            ranges.push_back({e.startSector, std::uint64_t{e.startSector} + e.sectorCount});
    }
    std::sort(ranges.begin(), ranges.end(), [](SectorRange a, SectorRange b) { return a.start < b.start; });
    return ranges;
}

// Fills with 0xFF what lies between neighbouring partitions, and nothing any
// entry occupies.
bool fillGaps(std::fstream& image, const IndexTableSector& sector) {
    const std::vector<SectorRange> ranges = occupiedRanges(sector);
    std::uint64_t reached = ranges.empty() ? 0 : ranges.front().end;
    for (const SectorRange& range : ranges) {
        if (range.start > reached && !fillWithFF(image, reached * kSectorSize, range.start * kSectorSize))
            return false;
        reached = std::max(reached, range.end);
    }
    return true;
}

}  // namespace

std::uint32_t writeUserAreaImage(const OperationContext& ctx, const IndexTableSector& bootImages,
                                 std::fstream& image) {
    const auto iniPath = ctx.settings.configurationPath();
    if (!checkPlanFile(iniPath)) {
        ctx.report.messageBox(planFileOpenError(iniPath));
        return 0;
    }
    ImageFileSink file(image);
    const auto content = [&](const PartitionRecord& record, std::uint32_t, std::uint32_t start) {
        return writePartitionContent(ctx, record, start, file);
    };
    // No capacity is known: a rest-of-capacity record keeps 0xFFFFFFFF sectors.
    PlanTarget target{.layout = PlanLayout::Shared, .capacity = std::nullopt, .sector = bootImages};
    if (!placeUserAreaPlan(ctx, target, content).placed) return 0;
    const IndexTableSector& sector = target.sector;
    const std::uint32_t tableSector = sector.entry(0).startSector - 1;
    if (!writeFirstSectorCopy(ctx, sector)) return 0;
    if (!writeAt(image, std::uint64_t{tableSector} * kSectorSize, sector.bytes()) || !fillGaps(image, sector)) {
        ctx.report.messageBox("Error : cannot write the image file (disk full?)");
        return 0;
    }
    return 1;
}

}  // namespace ib
