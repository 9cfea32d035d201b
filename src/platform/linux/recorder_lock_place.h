// Where a recorder's lock file lies on Linux: named from the USB port the
// recorder is plugged into, which stays the same when it leaves the bus and
// comes back running its updater, in the machine's lock folder when the
// program may write there, else the user's runtime folder, else the temporary one.
#pragma once

#include <filesystem>
#include <string>

#include "platform/linux/usb_scsi_disk.h"

namespace ib::platform {

// "/run/lock", $XDG_RUNTIME_DIR or the temporary folder: the first this program may write in.
std::filesystem::path recorderLockFolder();

// The USB port path of the disk's device ("1-2.3") from its sysfs path; the
// kernel name when the path shows no USB interface.
std::string recorderIdentity(const UsbScsiDisk& disk);

}  // namespace ib::platform
