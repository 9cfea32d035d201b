// Where each record of a partition plan lands: its entry number and its sectors,
// computed exactly (64-bit) so that the checks see what 32-bit sums would hide.
// Used by the plan check and by the placement, which thus agree on every number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "userarea/partition_plan.h"

namespace ib {

struct PlannedPartition {
    std::size_t recordIndex = 0;
    std::uint64_t entryNumber = 0;  // entry base + UnitNumber; may exceed 30 in a plan that is refused
    std::uint64_t startSector = 0;
    std::uint64_t sectorCount = 0;
    // A -1 record left at 0xFFFFFFFF (no capacity known): it reaches to the end of the storage.
    bool unbounded = false;
};

// One element per record, in record order: contiguous from `firstSector` on.
std::vector<PlannedPartition> layOutPlan(const PartitionPlan& plan);

}  // namespace ib
