// Windows-form device names built from sysfs facts. See device_instance_ids.h.
#include "platform/linux/device_instance_ids.h"

#include <algorithm>
#include <cstdio>

namespace ib::platform {
namespace {

constexpr std::size_t kVendorWidth = 8;
constexpr std::size_t kModelWidth = 16;
constexpr std::size_t kRevisionWidth = 4;

bool isPlainIdCharacter(char c) { return c > ' ' && c < 0x7F && c != ','; }

std::string vendorProductPart(UsbVendorProduct ids) {
    char text[24];
    std::snprintf(text, sizeof text, "VID_%04X&PID_%04X", unsigned{ids.vendor}, unsigned{ids.product});
    return text;
}

std::string namedInterface(std::string_view body, std::string_view interfaceClass) {
    std::string name = "\\\\?\\";
    name.append(body);
    name += '#';
    name.append(interfaceClass);
    return name;
}

}  // namespace

std::string instanceIdField(std::string_view raw, std::size_t width) {
    std::string_view field = raw.substr(0, std::min(raw.size(), width));
    while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
    std::string result(field);
    std::replace_if(result.begin(), result.end(), [](char c) { return !isPlainIdCharacter(c); }, '_');
    return result;
}

bool isUsableUsbSerial(std::string_view serial) {
    return !serial.empty() && std::all_of(serial.begin(), serial.end(), isPlainIdCharacter);
}

std::string usbStorInstanceId(const ScsiIdentity& identity, std::string_view usbSerial, unsigned lun,
                              std::string_view diskSysPath) {
    std::string id = "USBSTOR\\DISK&VEN_" + instanceIdField(identity.vendor, kVendorWidth) + "&PROD_" +
                     instanceIdField(identity.model, kModelWidth) + "&REV_" +
                     instanceIdField(identity.revision, kRevisionWidth) + "\\";
    if (isUsableUsbSerial(usbSerial)) {
        id.append(usbSerial);
        id += '&' + std::to_string(lun);
    } else {
        id.append(diskSysPath);
    }
    return id;
}

std::string usbDiskInterfaceName(std::string_view instanceId) {
    std::string body(instanceId);
    std::replace(body.begin(), body.end(), '\\', '#');
    return namedInterface(body, kDiskInterfaceClass);
}

std::string otherDiskInterfaceName(std::string_view kernelName) {
    return namedInterface("STORAGE#DISK#" + std::string(kernelName), kDiskInterfaceClass);
}

std::string usbDeviceInterfaceName(UsbVendorProduct ids, std::string_view instance) {
    return namedInterface("USB#" + vendorProductPart(ids) + "#" + std::string(instance),
                          kUsbDeviceInterfaceClass);
}

std::string hidInterfaceName(std::optional<UsbVendorProduct> ids, std::string_view instance) {
    std::string body = "HID#";
    if (ids) body += vendorProductPart(*ids) + "#";
    body.append(instance);
    return namedInterface(body, kHidInterfaceClass);
}

std::string netInterfaceName(std::string_view netDevice) {
    return namedInterface("NET#" + std::string(netDevice), kNetInterfaceClass);
}

}  // namespace ib::platform
