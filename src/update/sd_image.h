// "Create SIF Bin": the whole firmware set and user area built into one image
// file without a recorder, laid out as the serial-flash burn lays out the
// device, then finished by the merge tool into the output file with a checksum.
#pragma once

#include <cstdint>

#include "operation/operation_context.h"

namespace ib {

// Builds the SD image into the snapshot's bin path (chosen first when empty),
// relative to the working folder. 1 on success.
std::uint32_t createSdImage(const OperationContext& ctx);

}  // namespace ib
