// Reading and writing single register bytes of the recorder, in whatever mode
// it runs: "Read Register" and "Write Register".
#pragma once

#include <cstdint>

#include "operation/operation_context.h"

namespace ib {

// Reads the byte at the read address and shows it in the read value field.
std::uint32_t ReadRegisterCommand(const OperationContext& ctx);
// Writes the write value's low byte to the write address.
std::uint32_t WriteRegisterCommand(const OperationContext& ctx);

}  // namespace ib
