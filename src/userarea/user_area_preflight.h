// What laying the partition plan down needs from the PC: content files that
// fit their partitions, the folder packing tool for each FAT partition made
// from a folder, room for the packed images in the working folder, and the
// copy of the first sector there.
#pragma once

#include "bootarea/index_table_sector.h"
#include "operation/operation_context.h"
#include "operation/preflight.h"
#include "userarea/partition_plan.h"

namespace ib {

// The plan as the configuration will read it.
PartitionPlan plannedPartitions(const OperationContext& ctx);

// The content files the plan names that exist, each bounded by its partition
// (the rest partition's size waits for the capacity). A missing file, or a
// record without a name, is left out: the configuration skips it.
PreflightPlan userAreaContentPreflight(const OperationContext& ctx, const PartitionPlan& plan);

// The tool and the files the configuration writes on the PC.
PreflightPlan userAreaOutputPreflight(const OperationContext& ctx, const PartitionPlan& plan);

// Where the user area ends in an SD image whose boot images `bootImages`
// lists: each partition from its start sector for as many bytes as its
// content takes, as far as the PC can tell before the content is made. 0 for
// a plan the image would refuse.
std::uint64_t userAreaImageEnd(const OperationContext& ctx, const PartitionPlan& plan,
                               const IndexTableSector& bootImages);

// The configuration's checks, each with the configuration's own failure message.
std::vector<PreflightStep> configureUserAreaPreflight(const OperationContext& ctx);

}  // namespace ib
