// Nothing is written under a mounted file system: the recorder's partitions
// are found in the kernel's mount table by device number, and the refusal says
// where they are mounted and how to unmount them.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/linux/mounted_partitions.h"
#include "support/temp_folder.h"

namespace ib::platform {
namespace {

constexpr const char* kMountinfo =
    "22 1 254:1 / / rw,relatime shared:1 - ext4 /dev/vda1 rw\n"
    "97 22 8:17 / /media/me/REC rw,nosuid,nodev,relatime shared:52 - vfat /dev/sdb1 rw,fmask=0022\n"
    "98 22 8:18 / /media/me/MY\\040CAR\\134CAM rw,relatime - exfat /dev/sdb2 rw\n"
    "99 22 8:33 / /media/me/STICK rw,relatime shared:60 master:1 - vfat /dev/sdc1 rw\n"
    "100 22 8:16 /videos /mnt/bound rw - vfat /dev/sdb rw\n"
    "garbage line\n";

TEST(MountedPartitions, TheRecordersMountsAreFoundByDeviceNumber) {
    struct Case {
        std::vector<std::string> numbers;
        std::vector<std::pair<std::string, std::string>> expected;  // device, mount point
    };
    const Case cases[] = {
        {{"8:16", "8:17", "8:18"},
         {{"/dev/sdb1", "/media/me/REC"}, {"/dev/sdb2", "/media/me/MY CAR\\CAM"}, {"/dev/sdb", "/mnt/bound"}}},
        {{"8:33"}, {{"/dev/sdc1", "/media/me/STICK"}}},  // optional fields before the separator
        {{"8:48", "8:49"}, {}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<std::string, std::string>> found;
        for (const auto& m : mountsOfDevices(kMountinfo, c.numbers)) found.emplace_back(m.device, m.mountPoint);
        EXPECT_EQ(found, c.expected) << ::testing::PrintToString(c.numbers);
    }
}

TEST(MountedPartitions, TheRefusalNamesEachMountAndHowToUnmountIt) {
    EXPECT_EQ(mountedStorageRefusal({{"/dev/sdb1", "/media/me/REC"}, {"/dev/sdb2", "/media/me/MY CAR"}}),
              "The recorder's storage is mounted (/dev/sdb1 at /media/me/REC, /dev/sdb2 at /media/me/MY CAR): "
              "writing under a mounted file system would destroy it. Unmount it first (udisksctl unmount -b "
              "/dev/sdb1 && udisksctl unmount -b /dev/sdb2, or sudo umount \"/media/me/REC\" \"/media/me/MY CAR\") "
              "and try again.");
    // A device mounted twice (a bind mount) is unmounted once.
    EXPECT_EQ(udisksUnmountCommands({{"/dev/sdb1", "/media/me/REC"}, {"/dev/sdb1", "/srv/rec"}, {"/dev/sdb2", "/x"}}),
              (std::vector<std::vector<std::string>>{{"unmount", "-b", "/dev/sdb1"}, {"unmount", "-b", "/dev/sdb2"}}));
}

TEST(MountedPartitions, TheDiskAndItsPartitionsNumbersComeFromSysfs) {
    test::TempFolder sys;
    sys.write("sdb/dev", "8:16\n");
    sys.write("sdb/queue/rotational", "0\n");
    for (const char* part : {"sdb1", "sdb2"}) sys.write(std::string("sdb/") + part + "/partition", "1\n");
    sys.write("sdb/sdb1/dev", "8:17\n");
    sys.write("sdb/sdb2/dev", "8:18\n");
    std::vector<std::string> numbers = diskAndPartitionNumbers(sys / "sdb");
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(numbers, (std::vector<std::string>{"8:16", "8:17", "8:18"}));
    EXPECT_TRUE(diskAndPartitionNumbers(sys / "gone").empty());
}

}  // namespace
}  // namespace ib::platform
