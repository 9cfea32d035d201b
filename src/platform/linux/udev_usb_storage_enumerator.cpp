// USB storage enumeration through udev. See udev_usb_storage_enumerator.h.
#include "platform/linux/udev_usb_storage_enumerator.h"

#include "platform/linux/drive_letter_candidates.h"
#include "platform/linux/recorder_lock_place.h"
#include "platform/linux/usb_scsi_disk_scan.h"

namespace ib::platform {

UdevUsbStorageEnumerator::UdevUsbStorageEnumerator(UsbDiskLister lister) : m_lister(std::move(lister)) {}

UdevUsbStorageEnumerator::UdevUsbStorageEnumerator() : UdevUsbStorageEnumerator(listUsbScsiDisks) {}

UsbStorageList UdevUsbStorageEnumerator::presentDevices() {
    UsbStorageList list;
    auto disks = m_lister();
    if (!disks) return list;
    list.available = true;
    sortByKernelName(*disks);
    for (const auto& disk : *disks) {
        list.instanceIds.push_back(instanceIdOf(disk));
        list.portPaths.push_back(recorderIdentity(disk));
    }
    return list;
}

}  // namespace ib::platform
