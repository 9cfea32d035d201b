// What the platform layer knows about one SCSI disk attached over USB, as read
// from sysfs, and the names derived from it. The volume provider, the storage
// enumerator and the device monitor all describe disks this way.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/device_instance_ids.h"

namespace ib::platform {

struct UsbScsiDisk {
    std::string kernelName;   // "sdb"
    std::string sysPath;      // "/sys/devices/.../block/sdb"
    std::string devPath;      // the same without "/sys": the key that uevents carry
    std::string genericNode;  // "/dev/sg2"; empty when the sg driver gave the disk no node
    std::optional<ScsiIdentity> identity;  // nullopt when the attributes could not be read
    std::string usbSerial;    // empty when the USB device reports none
    unsigned lun = 0;
};

// Lists the USB disks present now; nullopt when no list can be taken.
using UsbDiskLister = std::function<std::optional<std::vector<UsbScsiDisk>>()>;

// The instance ID a Windows machine would give the disk; nullopt when its
// SCSI identity could not be read.
std::optional<std::string> instanceIdOf(const UsbScsiDisk& disk);

// The LUN of a SCSI device from its address "host:channel:target:lun"; 0 when
// the address has another form.
unsigned lunFromScsiAddress(std::string_view address);

// "sdb (/dev/sg2, QUB CARD READER)": the kernel name, the pass-through node
// and the identity as the device reports it, for diagnostics.
std::string displayNameOf(const UsbScsiDisk& disk);

}  // namespace ib::platform
