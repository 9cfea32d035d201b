// Windows disks: physical drive N is "\\.\PhysicalDrive" followed by N.
#include "platform/physical_drive_path.h"

namespace ib::platform {

std::optional<std::string> physicalDrivePath(std::uint8_t number, const std::string& prefix) {
    if (number > 9) return std::nullopt;
    return prefix + static_cast<char>('0' + number);
}

std::string defaultPhysicalDrivePrefix() { return "\\\\.\\PhysicalDrive"; }

}  // namespace ib::platform
