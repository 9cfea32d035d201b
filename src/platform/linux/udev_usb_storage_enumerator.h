// The present USB storage devices on Linux, named by the instance IDs a
// Windows machine would give them, so recorder recognition works unchanged.
// Made by the platform factory.
#pragma once

#include "platform/linux/usb_scsi_disk.h"
#include "seams/usb_storage_enumeration.h"

namespace ib::platform {

class UdevUsbStorageEnumerator final : public UsbStorageEnumerator {
public:
    // `lister` is the udev scan in the program; tests pass their own disks.
    explicit UdevUsbStorageEnumerator(UsbDiskLister lister);
    UdevUsbStorageEnumerator();

    // The SCSI disks attached over USB in kernel-name order; not available
    // when udev enumeration cannot start.
    UsbStorageList presentDevices() override;

private:
    UsbDiskLister m_lister;
};

}  // namespace ib::platform
