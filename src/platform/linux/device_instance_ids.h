// Builds the names a Windows machine gives USB devices (storage instance IDs
// and device-interface names) from facts Linux keeps in sysfs. Recorder
// recognition matches substrings of these names, so they keep the Windows form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ib::platform {

// The SCSI device's sysfs "vendor", "model" and "rev" attributes as read:
// INQUIRY text fields, usually padded with blanks.
struct ScsiIdentity {
    std::string vendor;
    std::string model;
    std::string revision;
};

struct UsbVendorProduct {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
};

// Interface class identifiers in the form the interface names carry.
inline constexpr std::string_view kDiskInterfaceClass = "{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
inline constexpr std::string_view kUsbDeviceInterfaceClass = "{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
inline constexpr std::string_view kHidInterfaceClass = "{4d1e55b2-f16f-11cf-88cb-001111000030}";
inline constexpr std::string_view kNetInterfaceClass = "{ad498944-762f-11d0-8dcb-00c04fc3358c}";

// An INQUIRY text field as an instance ID carries it: cut to `width`
// characters like the fixed INQUIRY field, trailing blanks dropped, remaining
// blanks, commas and control characters written as '_'.
std::string instanceIdField(std::string_view raw, std::size_t width);

// Whether a USB serial number can stand in an instance ID: Windows replaces
// serials that are empty or hold blanks, commas or non-ASCII characters.
bool isUsableUsbSerial(std::string_view serial);

// "USBSTOR\DISK&VEN_<vendor>&PROD_<model>&REV_<rev>\<unique>", where <unique>
// is the USB serial followed by '&' and the LUN, or the disk's sysfs path when
// the USB device has no usable serial.
std::string usbStorInstanceId(const ScsiIdentity& identity, std::string_view usbSerial, unsigned lun,
                              std::string_view diskSysPath);

// "\\?\" + the instance ID with '\' written as '#' + "#{disk class}".
std::string usbDiskInterfaceName(std::string_view instanceId);
// A disk not attached over USB: named so that no recorder ID can match it.
std::string otherDiskInterfaceName(std::string_view kernelName);
// "\\?\USB#VID_xxxx&PID_xxxx#<serial or port>#{usb device class}".
std::string usbDeviceInterfaceName(UsbVendorProduct ids, std::string_view instance);
// "\\?\HID#VID_xxxx&PID_xxxx#<instance>#{hid class}", or without the IDs when unknown.
std::string hidInterfaceName(std::optional<UsbVendorProduct> ids, std::string_view instance);
// "\\?\NET#<interface>#{net class}".
std::string netInterfaceName(std::string_view netDevice);

}  // namespace ib::platform
