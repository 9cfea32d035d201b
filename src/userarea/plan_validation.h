// Refuses a partition plan that would corrupt the recorder's data or has no
// defined meaning, before anything of it is written. placePlan runs this check
// first; callers may also run it alone to show why a plan was refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "bootarea/index_table_sector.h"
#include "userarea/partition_plan.h"

namespace ib {

enum class PlanFault {
    None,
    ZeroAlignmentUnit,      // alignment on with AlignmentSize 0
    SeveralRestPartitions,  // more than one record with Size -1
    EntryBeyondTable,       // UnitNumber names an entry past entry 30
    RestUnresolved,         // capacity known, but the -1 record is Part_30 or later
    RestNotLast,            // no capacity known, and the -1 record is not the last one
    NoRoomForRest,          // the fixed sizes leave nothing for the -1 record
    FileTooLarge,           // RAW sized from a file of 2 TiB or more
    EmptyPartition,         // a record of size 0
    BeyondSectorRange,      // a partition would pass sector 0xFFFFFFFE
    BeyondCapacity,         // a partition would end past the capacity
    CoversIndexTable,       // a partition would hold the index table sector
    CoversBootImage,        // shared layout: a partition would overlap a boot-area image
};

struct PlanVerdict {
    PlanFault fault = PlanFault::None;
    std::size_t recordIndex = 0;  // the record at fault (Part_<index>), when the fault has one
    bool ok() const { return fault == PlanFault::None; }
};

// Checks the plan against the index table sector as it will be written (its
// entries 0 to 9 list the boot-area images in the shared layout) and the
// sector number where that sector lies. The first fault in record order wins.
PlanVerdict checkPlan(const PartitionPlan& plan, const IndexTableSector& sector,
                      std::uint32_t indexTableSector);

// One English line for logs and dry runs, naming the record at fault.
std::string describePlanVerdict(const PlanVerdict& verdict);

}  // namespace ib
