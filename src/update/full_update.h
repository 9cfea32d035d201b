// The full update process: connect, load the updater when the recorder runs
// its boot ROM, prepare the boot area, burn the firmware set, lay out and
// format the user area, and always close the session.
#pragma once

#include <cstdint>
#include <vector>

#include "device/usb_scsi_cmd.h"
#include "operation/operation_context.h"
#include "operation/preflight.h"

namespace ib {

// The update's checks on the PC for a set of `n` firmware members, each with
// the message of its step (the serial-flash burn's has none of its own).
std::vector<PreflightStep> fullUpdatePreflight(const OperationContext& ctx, std::uint32_t n);

// Runs the update through `ctx`, whose command object is `session`: its
// closing command is sent on every path. 1 on success.
std::uint32_t runFullUpdate(const OperationContext& ctx, UsbScsiCmd& session);

}  // namespace ib
