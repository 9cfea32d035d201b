// Lays the records of a plan out one after another from the first sector on.
// Sizes are used as the plan holds them; rounding happened when it was read.
#include "userarea/plan_layout.h"

namespace ib {

std::vector<PlannedPartition> layOutPlan(const PartitionPlan& plan) {
    std::vector<PlannedPartition> layout;
    layout.reserve(plan.records.size());
    std::uint64_t runningStart = plan.firstSector;
    for (std::size_t i = 0; i < plan.records.size(); ++i) {
        const PartitionRecord& record = plan.records[i];
        const bool unbounded = record.takesRest && record.sizeSectors == kRestOfCapacity;
        layout.push_back({i, std::uint64_t{entryBase(plan.layout)} + record.unitNumber, runningStart,
                          record.sizeSectors, unbounded});
        runningStart += record.sizeSectors;
    }
    return layout;
}

}  // namespace ib
