// Places a checked partition plan into the index table sector, record by record,
// handing each placed record to the caller's content step (which writes the
// partition's content to the device or into an image file).
#pragma once

#include <cstdint>
#include <functional>

#include "bootarea/index_table_sector.h"
#include "userarea/partition_plan.h"

namespace ib {

// Called right after a record's entry has been filled, before the next record is
// placed. Returns false to end the whole operation (folder packing failed).
using ContentStep =
    std::function<bool(const PartitionRecord& record, std::uint32_t entryNumber, std::uint32_t startSector)>;

// Runs checkPlan first: a refused plan changes nothing and calls no step. Then
// fills entry (entry base + UnitNumber) of each record with its start sector,
// size and attributes, in record order, calling `contentStep` (when set) after
// each. True when every record was placed and no step asked to stop; the
// caller writes the sector only then.
bool placePlan(const PartitionPlan& plan, IndexTableSector& sector, std::uint32_t indexTableSector,
               const ContentStep& contentStep = {});

}  // namespace ib
