// The user area written into an SD image file. See user_area_image.h.
#include "userarea/user_area_image.h"

#include "device/sector.h"
#include "operation/image_file_writes.h"
#include "operation/sector_sink.h"
#include "userarea/partition_content.h"
#include "userarea/partition_plan_reader.h"
#include "userarea/user_area_configuration.h"
#include "userarea/user_area_plan.h"

namespace ib {
namespace {

bool occupied(const IndexTableEntry& e) { return e.startSector != kFreeEntryStart; }

// Fills the space between each occupied entry and the next occupied one with 0xFF.
bool fillGaps(std::fstream& image, const IndexTableSector& sector) {
    for (std::size_t i = 1; i <= 30; ++i) {
        const IndexTableEntry previous = sector.entry(i - 1);
        if (!occupied(previous)) continue;
        std::size_t n = i;
        while (n <= 29 && !occupied(sector.entry(n))) ++n;
        if (n > 29) break;
        const std::uint64_t end = (std::uint64_t{previous.startSector} + previous.sectorCount) * kSectorSize;
        const std::uint64_t next = std::uint64_t{sector.entry(n).startSector} * kSectorSize;
        // Entries out of order would make a negative gap: nothing to fill there.
        if (next > end && !fillWithFF(image, end, next)) return false;
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
