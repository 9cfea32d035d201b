// Finds the SCSI disks attached over USB with libudev. Only sysfs attributes
// are read, never the udev database, which machines without a udev daemon
// lack. Used by the volume provider, the storage enumerator and the monitor.
#pragma once

#include <optional>
#include <vector>

#include "platform/linux/usb_scsi_disk.h"

struct udev_device;

namespace ib::platform {

// Every present sd* whole disk with a USB device in its parent chain, in
// enumeration order; nullopt when udev enumeration cannot start.
std::optional<std::vector<UsbScsiDisk>> listUsbScsiDisks();

// Describes one block device; nullopt unless it is an sd* whole disk of a
// SCSI device attached over USB. Disks on other buses never qualify, so no
// vendor command can reach a machine's internal disks.
std::optional<UsbScsiDisk> describeUsbScsiDisk(udev_device* device);

}  // namespace ib::platform
