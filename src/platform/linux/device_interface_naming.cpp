// Interface names of watched devices. See device_interface_naming.h.
#include "platform/linux/device_interface_naming.h"

#include <charconv>

#include "platform/linux/usb_scsi_disk.h"

namespace ib::platform {
namespace {

std::string propertyOf(const ObservedDevice& device, std::string_view name) {
    const auto found = device.properties.find(name);
    return found == device.properties.end() ? std::string() : found->second;
}

std::optional<std::uint16_t> hex16(std::string_view text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value > 0xFFFF) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const auto end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

// "0003:046D:C52B.0001": bus, vendor, product and instance of a HID device.
std::optional<UsbVendorProduct> hidIdsOfName(std::string_view name) {
    if (name.size() < 15 || name[4] != ':' || name[9] != ':' || name[14] != '.') return std::nullopt;
    const auto vendor = hex16(name.substr(5, 4));
    const auto product = hex16(name.substr(10, 4));
    if (!hex16(name.substr(0, 4)) || !vendor || !product) return std::nullopt;
    return UsbVendorProduct{*vendor, *product};
}

// The LUN in a disk's devpath ".../6:0:0:1/block/sdb".
unsigned lunInDiskDevPath(std::string_view devpath) {
    const auto block = devpath.rfind("/block/");
    if (block == std::string_view::npos) return 0;
    const std::string_view scsiPath = devpath.substr(0, block);
    return lunFromScsiAddress(scsiPath.substr(scsiPath.rfind('/') + 1));
}

std::string diskName(const ObservedDevice& device) {
    if (device.usbStorInstanceId) return usbDiskInterfaceName(*device.usbStorInstanceId);
    // A removed disk: the udev daemon's events carry the identity that sysfs no longer has.
    const std::string vendor = propertyOf(device, "ID_VENDOR");
    const std::string model = propertyOf(device, "ID_MODEL");
    const bool overUsb = device.devpath.find("/usb") != std::string::npos;
    if (overUsb && !model.empty()) {
        const ScsiIdentity identity{vendor, model, propertyOf(device, "ID_REVISION")};
        const unsigned lun = lunInDiskDevPath(device.devpath);
        return usbDiskInterfaceName(
            usbStorInstanceId(identity, propertyOf(device, "ID_SERIAL_SHORT"), lun, "/sys" + device.devpath));
    }
    return otherDiskInterfaceName(device.sysname);
}

std::string usbDeviceName(const ObservedDevice& device) {
    const auto ids = vendorProductFromFields(propertyOf(device, "PRODUCT"), 0).value_or(UsbVendorProduct{});
    std::string instance = device.usbSerial;
    if (!isUsableUsbSerial(instance)) instance = propertyOf(device, "ID_SERIAL_SHORT");
    if (!isUsableUsbSerial(instance)) instance = device.sysname;  // the port path, "1-1.2"
    return usbDeviceInterfaceName(ids, instance);
}

std::string netName(const ObservedDevice& device) {
    const std::string interface = propertyOf(device, "INTERFACE");
    return netInterfaceName(interface.empty() ? device.sysname : interface);
}

}  // namespace

std::optional<WatchedKind> watchedKindOf(std::string_view subsystem, std::string_view devtype,
                                         std::string_view sysname) {
    if (subsystem == "usb" && devtype == "usb_device") return WatchedKind::UsbDevice;
    if (subsystem == "block" && devtype == "disk") return WatchedKind::Disk;
    if (subsystem == "hidraw") return WatchedKind::HidRaw;
    if (subsystem == "input" && sysname.starts_with("input")) return WatchedKind::Input;
    if (subsystem == "net") return WatchedKind::Net;
    return std::nullopt;
}

InterfaceClass interfaceClassOf(WatchedKind kind) {
    switch (kind) {
    case WatchedKind::UsbDevice:
        return InterfaceClass::UsbDevice;
    case WatchedKind::Disk:
        return InterfaceClass::Disk;
    case WatchedKind::HidRaw:
    case WatchedKind::Input:
        return InterfaceClass::Hid;
    case WatchedKind::Net:
        break;
    }
    return InterfaceClass::NdisLan;
}

std::vector<SubsystemFilter> subsystemFiltersOf(InterfaceClass cls) {
    switch (cls) {
    case InterfaceClass::UsbDevice:
        return {{"usb", "usb_device"}};
    case InterfaceClass::Disk:
        return {{"block", "disk"}};
    case InterfaceClass::Hid:
        return {{"hidraw", nullptr}, {"input", nullptr}};
    case InterfaceClass::NdisLan:
        break;
    }
    return {{"net", nullptr}};
}

std::optional<UsbVendorProduct> vendorProductFromFields(std::string_view text, std::size_t vendorField) {
    const auto fields = split(text, '/');
    if (fields.size() < vendorField + 2) return std::nullopt;
    const auto vendor = hex16(fields[vendorField]);
    const auto product = hex16(fields[vendorField + 1]);
    if (!vendor || !product) return std::nullopt;
    return UsbVendorProduct{*vendor, *product};
}

std::optional<UsbVendorProduct> hidIdsInDevPath(std::string_view devpath) {
    std::optional<UsbVendorProduct> ids;
    for (const auto component : split(devpath, '/')) {
        if (auto found = hidIdsOfName(component)) ids = found;  // the innermost HID device counts
    }
    return ids;
}

std::string interfaceNameOf(WatchedKind kind, const ObservedDevice& device) {
    switch (kind) {
    case WatchedKind::UsbDevice:
        return usbDeviceName(device);
    case WatchedKind::Disk:
        return diskName(device);
    case WatchedKind::HidRaw:
        return hidInterfaceName(hidIdsInDevPath(device.devpath), device.sysname);
    case WatchedKind::Input:
        return hidInterfaceName(vendorProductFromFields(propertyOf(device, "PRODUCT"), 1), device.sysname);
    case WatchedKind::Net:
        break;
    }
    return netName(device);
}

}  // namespace ib::platform
