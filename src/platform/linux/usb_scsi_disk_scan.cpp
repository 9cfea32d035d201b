// USB disk discovery through libudev and sysfs. See usb_scsi_disk_scan.h.
#include "platform/linux/usb_scsi_disk_scan.h"

#include <string_view>

#include "platform/linux/udev_handles.h"

namespace ib::platform {
namespace {

std::string attributeOf(udev_device* device, const char* name) {
    const char* value = udev_device_get_sysattr_value(device, name);
    return value ? value : "";
}

std::optional<ScsiIdentity> identityOf(udev_device* scsiDevice) {
    const char* vendor = udev_device_get_sysattr_value(scsiDevice, "vendor");
    const char* model = udev_device_get_sysattr_value(scsiDevice, "model");
    if (!vendor || !model) return std::nullopt;
    return ScsiIdentity{vendor, model, attributeOf(scsiDevice, "rev")};
}

// The sg node of a SCSI device: its child in subsystem "scsi_generic".
std::string genericNodeOf(udev_device* scsiDevice) {
    UdevEnumeratePtr children(udev_enumerate_new(udev_device_get_udev(scsiDevice)));
    if (!children) return {};
    udev_enumerate_add_match_parent(children.get(), scsiDevice);
    udev_enumerate_add_match_subsystem(children.get(), "scsi_generic");
    if (udev_enumerate_scan_devices(children.get()) < 0) return {};
    udev_list_entry* first = udev_enumerate_get_list_entry(children.get());
    if (!first) return {};
    UdevDevicePtr generic(udev_device_new_from_syspath(udev_device_get_udev(scsiDevice),
                                                       udev_list_entry_get_name(first)));
    if (!generic) return {};
    if (const char* node = udev_device_get_devnode(generic.get())) return node;
    return std::string("/dev/") + udev_device_get_sysname(generic.get());
}

bool isSdWholeDisk(udev_device* device) {
    const char* subsystem = udev_device_get_subsystem(device);
    const char* devtype = udev_device_get_devtype(device);
    const char* sysname = udev_device_get_sysname(device);
    return subsystem && devtype && sysname && std::string_view(subsystem) == "block" &&
           std::string_view(devtype) == "disk" && std::string_view(sysname).starts_with("sd");
}

}  // namespace

std::optional<UsbScsiDisk> describeUsbScsiDisk(udev_device* device) {
    if (!device || !isSdWholeDisk(device)) return std::nullopt;
    // Parents are owned by the child device; they are not released here.
    udev_device* usbDevice = udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device");
    udev_device* scsiDevice = udev_device_get_parent_with_subsystem_devtype(device, "scsi", "scsi_device");
    if (!usbDevice || !scsiDevice) return std::nullopt;

    UsbScsiDisk disk;
    disk.kernelName = udev_device_get_sysname(device);
    disk.sysPath = udev_device_get_syspath(device);
    disk.devPath = udev_device_get_devpath(device);
    disk.genericNode = genericNodeOf(scsiDevice);
    disk.identity = identityOf(scsiDevice);
    disk.usbSerial = attributeOf(usbDevice, "serial");
    disk.lun = lunFromScsiAddress(udev_device_get_sysname(scsiDevice));
    return disk;
}

std::optional<std::vector<UsbScsiDisk>> listUsbScsiDisks() {
    UdevPtr context(udev_new());
    if (!context) return std::nullopt;
    UdevEnumeratePtr blockDevices(udev_enumerate_new(context.get()));
    if (!blockDevices) return std::nullopt;
    udev_enumerate_add_match_subsystem(blockDevices.get(), "block");
    udev_enumerate_add_match_sysname(blockDevices.get(), "sd*");
    if (udev_enumerate_scan_devices(blockDevices.get()) < 0) return std::nullopt;

    std::vector<UsbScsiDisk> disks;
    udev_list_entry* entry;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(blockDevices.get())) {
        // A disk that left between the scan and this look is simply not listed.
        UdevDevicePtr device(udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
        if (auto disk = describeUsbScsiDisk(device.get())) disks.push_back(std::move(*disk));
    }
    return disks;
}

}  // namespace ib::platform
