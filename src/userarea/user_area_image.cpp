// The user area written into an SD image file: partitions at their entries'
// sectors, the index table sector just before the first boot image, and 0xFF
// in the gaps between partitions.
#include "device/sector.h"
#include "update/image_burner_controller.h"
#include "userarea/image_file_writes.h"
#include "userarea/partition_plan_reader.h"
#include "userarea/plan_placement.h"
#include "userarea/plan_validation.h"

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

std::uint32_t CImageBurnerDlg::writeUserAreaImage(IndexTableSector sector, std::fstream& image) {
    m_isMoviNand = 0;
    const auto iniPath = configurationPath();
    if (!checkPlanFile(iniPath)) {
        messageBox(planFileOpenError(iniPath));
        return 0;
    }
    const auto content = [this, &image](const PartitionRecord& record, std::uint32_t, std::uint32_t start) {
        return writePartitionContent(record, start, &image);
    };
    // No capacity is known: a rest-of-capacity record keeps 0xFFFFFFFF sectors.
    if (!placeUserAreaPlan(PlanLayout::Shared, std::nullopt, sector, content)) return 0;
    const std::uint32_t tableSector = sector.entry(0).startSector - 1;
    if (!writeFirstSectorCopy(sector)) return 0;
    if (!writeAt(image, std::uint64_t{tableSector} * kSectorSize, sector.bytes()) || !fillGaps(image, sector)) {
        messageBox("Error : cannot write the image file (disk full?)");
        return 0;
    }
    return 1;
}

}  // namespace ib
