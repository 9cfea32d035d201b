// Which uevents concern the watched interface classes, and the Windows-form
// interface name of the device behind each, built from what the event and
// sysfs tell. Pure; the udev monitor fills ObservedDevice and asks here.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/device_instance_ids.h"
#include "seams/usb_storage_enumeration.h"

namespace ib::platform {

// What one uevent (or one enumerated device) tells about its device.
struct ObservedDevice {
    std::string action;  // "add", "remove", "move", ...; empty for an enumerated device
    std::string subsystem;
    std::string devtype;
    std::string sysname;
    std::string devpath;
    std::map<std::string, std::string, std::less<>> properties;  // the event's environment
    // Read from sysfs, which is gone by the time a "remove" arrives:
    std::optional<std::string> usbStorInstanceId;  // a disk attached over USB
    std::string usbSerial;                         // a USB device's serial attribute
};

enum class WatchedKind { UsbDevice, Disk, HidRaw, Input, Net };

// The kind of a device, nullopt for devices no interface class covers. Of an
// input device's nodes only the "inputN" device counts, not its event nodes.
std::optional<WatchedKind> watchedKindOf(std::string_view subsystem, std::string_view devtype,
                                         std::string_view sysname);
InterfaceClass interfaceClassOf(WatchedKind kind);

// The subsystem (and device type, or null for any) filters of a class.
struct SubsystemFilter {
    const char* subsystem;
    const char* devtype;
};
std::vector<SubsystemFilter> subsystemFiltersOf(InterfaceClass cls);

// USB vendor and product from slash-separated hexadecimal fields, starting at
// field `vendorField`: PRODUCT of a USB device ("46d/c52b/1201", field 0) or
// of an input device ("3/46d/c52b/111", field 1).
std::optional<UsbVendorProduct> vendorProductFromFields(std::string_view text, std::size_t vendorField);

// USB vendor and product of the HID device ("0003:046D:C52B.0001") named in a
// devpath, as hidraw and input devices of USB HID devices carry it.
std::optional<UsbVendorProduct> hidIdsInDevPath(std::string_view devpath);

// The interface name of a device of `kind`, from sysfs facts when they were
// read, else from what the event itself carries.
std::string interfaceNameOf(WatchedKind kind, const ObservedDevice& device);

}  // namespace ib::platform
