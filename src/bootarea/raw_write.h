// "Raw Write": a file copied byte for byte to the serial flash from sector 0,
// in 4 KiB pieces, without firmware-set rules or index table.
#pragma once

#include <cstdint>

#include "operation/operation_context.h"

namespace ib {

// Writes the raw path (chosen first when empty) whatever storage the snapshot
// names: the raw write is always to the serial flash. 1 on success.
std::uint32_t rawWrite(const OperationContext& ctx);

}  // namespace ib
