// The stand-alone "LowLevelFormat" operation.
#pragma once

#include <cstdint>

#include "operation/operation_context.h"

namespace ib {

// Makes sure the updater runs, then has the recorder low-level format its storage.
std::uint32_t LowLevelFormatWorker(const OperationContext& ctx);

}  // namespace ib
