// Which partitions of the recorder's disk the system has mounted, read from
// the kernel's mount table (/proc/self/mountinfo) by device number, so that
// the program refuses to write sectors underneath a mounted file system and
// says how to unmount it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ib::platform {

struct MountedPartition {
    std::string device;      // the mount source, "/dev/sdb1"
    std::string mountPoint;  // "/media/me/REC", unescaped
};

// The mounts in `mountinfo` (the text of /proc/self/mountinfo) of a device
// whose number ("8:17") is one of `deviceNumbers`, in the table's order.
std::vector<MountedPartition> mountsOfDevices(std::string_view mountinfo,
                                              const std::vector<std::string>& deviceNumbers);

// The device numbers of a disk and of its partitions, read from the disk's
// sysfs folder ("/sys/devices/.../block/sdb"); empty when it cannot be read.
std::vector<std::string> diskAndPartitionNumbers(const std::filesystem::path& diskSysPath);

// The arguments of udisksctl that unmount `mounts` the way the user at the
// seat may without root, one command per device, in the table's order:
// {"unmount", "-b", "/dev/sdb1"}.
std::vector<std::vector<std::string>> udisksUnmountCommands(const std::vector<MountedPartition>& mounts);

// The refusal to write the recorder's storage: each mount point, and the
// commands that unmount it.
std::string mountedStorageRefusal(const std::vector<MountedPartition>& mounts);

}  // namespace ib::platform
