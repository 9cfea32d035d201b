// Physical drive numbers 0 to 9 name the disks sda to sdj; others name none.
#include <gtest/gtest.h>

#include "platform/physical_drive_path.h"

namespace ib::platform {
namespace {

TEST(PhysicalDrivePath, OnlyTheDigitsNameADisk) {
    EXPECT_EQ(physicalDrivePath(0, "/dev/sd"), "/dev/sda");
    EXPECT_EQ(physicalDrivePath(9, "/dev/sd"), "/dev/sdj");
    EXPECT_EQ(physicalDrivePath(2, "/tmp/x/disk-"), "/tmp/x/disk-c");
    EXPECT_EQ(physicalDrivePath(10, "/dev/sd"), std::nullopt);
    EXPECT_EQ(physicalDrivePath(255, "/dev/sd"), std::nullopt);
    EXPECT_EQ(defaultPhysicalDrivePrefix(), "/dev/sd");
}

}  // namespace
}  // namespace ib::platform
