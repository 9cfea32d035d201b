// Linux disks: physical drive N is /dev/sd followed by the letter 'a' + N.
#include "platform/physical_drive_path.h"

namespace ib::platform {

std::optional<std::string> physicalDrivePath(std::uint8_t number, const std::string& prefix) {
    if (number > 9) return std::nullopt;
    return prefix + static_cast<char>('a' + number);
}

std::string defaultPhysicalDrivePrefix() { return "/dev/sd"; }

}  // namespace ib::platform
