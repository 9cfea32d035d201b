// Laying the partition plan down on the recorder: the index table sector's
// partition entries, with the configuration each partition's content and a
// copy of the sector in "UserAreaFirstSector"; and the "Configure User Area +
// Format" button built on it.
#pragma once

#include <cstdint>

#include "bootarea/index_table_sector.h"
#include "operation/operation_context.h"

namespace ib {

// Puts the plan's entries into the index table sector on the recorder. 1 on success.
std::uint32_t updatePartitionSetting(const OperationContext& ctx);
// The same, writing each partition's content too, and "UserAreaFirstSector".
std::uint32_t configureUserArea(const OperationContext& ctx);
// The "Configure User Area + Format" button: configure the user area on a
// recorder that runs its updater, then have the recorder format it.
std::uint32_t onConfigureUserArea(const OperationContext& ctx);

// Leaves the finished index table sector in the working folder's
// "UserAreaFirstSector"; false after a message.
bool writeFirstSectorCopy(const OperationContext& ctx, const IndexTableSector& sector);

}  // namespace ib
