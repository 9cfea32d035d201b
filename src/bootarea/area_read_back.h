// "Read boot area" and "Read user area": a range of sectors copied from the
// recorder into BootArea.bin or UserArea.bin in the working folder.
#pragma once

#include <cstdint>

#include "operation/operation_context.h"

namespace ib {

// Reads the snapshot's range of `area` into its file; a range that passes the
// area's end is shortened (and the size field shows it). 1 on success.
std::uint32_t readBackArea(const OperationContext& ctx, StorageArea area);

}  // namespace ib
