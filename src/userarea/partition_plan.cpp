// Plan arithmetic shared by reading, resolving and placing: entry numbers,
// entry attributes, rounding to the alignment unit and the rest-of-capacity size.
#include "userarea/partition_plan.h"

namespace ib {

std::uint32_t entryBase(PlanLayout layout) { return layout == PlanLayout::MoviNand ? 0 : 10; }

std::uint32_t entryAttributes(PartitionKind kind) { return kind == PartitionKind::Fat ? 3 : 1; }

std::uint32_t alignUp(std::uint32_t value, std::uint32_t unit) {
    if (unit == 0) return value;
    return (value + unit - 1) / unit * unit;
}

std::uint32_t alignDown(std::uint32_t value, std::uint32_t unit) {
    if (unit == 0) return value;
    return value / unit * unit;
}

void resolveRestPartition(PartitionPlan& plan, std::uint32_t capacitySectors) {
    plan.capacitySectors = capacitySectors;
    if (plan.restIndex >= kNoRestRecord || plan.restIndex >= plan.records.size()) return;
    std::uint32_t size = capacitySectors - plan.fixedTotal;
    if (plan.alignmentEnabled) size = alignDown(size, plan.alignmentSize);
    plan.records[plan.restIndex].sizeSectors = size;
}

}  // namespace ib
