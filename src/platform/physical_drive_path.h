// Names the disk of a physical drive number for direct sector access.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ib::platform {

// Drive numbers 0 to 9 name a disk; any other number names none. `prefix`
// is the system's disk path prefix (tests pass a temporary folder's).
std::optional<std::string> physicalDrivePath(std::uint8_t number, const std::string& prefix);

// The system's own prefix.
std::string defaultPhysicalDrivePrefix();

}  // namespace ib::platform
