// Burning the firmware set into the boot area: back to back from sector 1 on
// block storage, behind the index table sector on serial flash, with the
// index table sector read, filled and written back.
#pragma once

#include <cstdint>
#include <functional>

#include "operation/operation_context.h"

namespace ib {

// Burns `n` members into the boot area of the snapshot's storage. 1 on success.
std::uint32_t burnBlockStorage(const OperationContext& ctx, std::uint32_t n);

// What follows a serial-flash burn when asked: the user area configured. 0 on failure.
using UserAreaStep = std::function<std::uint32_t()>;

// Burns `n` (1 to 10) members into the serial flash, then runs
// `configureUserArea` when given; the operation buttons are enabled again at
// the end, whatever happened. 1 on success.
std::uint32_t burnSerialFlash(const OperationContext& ctx, std::uint32_t n, const UserAreaStep& configureUserArea);

}  // namespace ib
