// The full update process: connect, load the updater when the recorder runs
// its boot ROM, prepare the boot area, burn the firmware set, lay out and
// format the user area, and always close the session.
#pragma once

#include <cstdint>

#include "device/usb_scsi_cmd.h"
#include "operation/operation_context.h"

namespace ib {

// Runs the update through `ctx`, whose command object is `session`: its
// closing command is sent on every path. 1 on success.
std::uint32_t runFullUpdate(const OperationContext& ctx, UsbScsiCmd& session);

}  // namespace ib
