// Names derived from a USB SCSI disk's sysfs facts. See usb_scsi_disk.h.
#include "platform/linux/usb_scsi_disk.h"

#include <charconv>

namespace ib::platform {
namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::optional<std::string> instanceIdOf(const UsbScsiDisk& disk) {
    if (!disk.identity) return std::nullopt;
    return usbStorInstanceId(*disk.identity, disk.usbSerial, disk.lun, disk.sysPath);
}

unsigned lunFromScsiAddress(std::string_view address) {
    const auto colon = address.rfind(':');
    if (colon == std::string_view::npos) return 0;
    const std::string_view digits = address.substr(colon + 1);
    unsigned lun = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), lun);
    if (error != std::errc{} || end != digits.data() + digits.size()) return 0;
    return lun;
}

std::string displayNameOf(const UsbScsiDisk& disk) {
    std::string name = disk.kernelName + " (";
    name += disk.genericNode.empty() ? "no SCSI generic node" : disk.genericNode;
    if (disk.identity) {
        const std::string vendor = trimmed(disk.identity->vendor);
        const std::string model = trimmed(disk.identity->model);
        name += ", ";
        name += vendor.empty() || model.empty() ? vendor + model : vendor + " " + model;
    }
    return name + ")";
}

}  // namespace ib::platform
