// The line the simulated recorder logs for every command block it receives:
// the CDB in lowercase hex without spaces, the data direction (in, out, none),
// the data length in bytes, and ok or fail. Example:
// "fa5566070000012c0008000000000000 in 4096 ok"
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "seams/pass_through.h"

namespace ib::sim {

std::string commandLogLine(std::span<const std::uint8_t> cdb, DataDirection direction, std::size_t dataLength,
                           bool ok);

}  // namespace ib::sim
