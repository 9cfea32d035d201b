// The user area written into an SD image file: partitions at their entries'
// sectors, the index table sector just before the first boot image, and 0xFF
// in the gaps between partitions.
#pragma once

#include <cstdint>
#include <fstream>

#include "bootarea/index_table_sector.h"
#include "operation/operation_context.h"

namespace ib {

// Places the plan on the shared layout, with no capacity known, into a copy of
// `bootImages` (the index table sector listing the boot images), writes each
// partition's content, that sector and the gaps into `image`, and leaves
// "UserAreaFirstSector". 1 on success.
std::uint32_t writeUserAreaImage(const OperationContext& ctx, const IndexTableSector& bootImages,
                                 std::fstream& image);

}  // namespace ib
