// Placement of a partition plan: check, then fill the entries in record order.
// After a passed check nothing can fail here but the caller's own content step.
#include "userarea/plan_placement.h"

#include "userarea/plan_layout.h"
#include "userarea/plan_validation.h"

namespace ib {

bool placePlan(const PartitionPlan& plan, IndexTableSector& sector, std::uint32_t indexTableSector,
               const ContentStep& contentStep) {
    if (!checkPlan(plan, sector, indexTableSector).ok()) return false;
    for (const PlannedPartition& planned : layOutPlan(plan)) {
        const PartitionRecord& record = plan.records[planned.recordIndex];
        // The check keeps entry numbers below 31 and sectors below 0xFFFFFFFF, so the narrowing is exact.
        const auto entryNumber = static_cast<std::uint32_t>(planned.entryNumber);
        const auto startSector = static_cast<std::uint32_t>(planned.startSector);
        sector.setEntry(entryNumber, startSector, record.sizeSectors, entryAttributes(record.kind));
        if (contentStep && !contentStep(record, entryNumber, startSector)) return false;
    }
    return true;
}

}  // namespace ib
