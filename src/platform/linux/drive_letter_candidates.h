// Which USB disk stands behind which drive letter: the disks in the order of
// their kernel names (sda, sdb, ..., sdz, sdaa, ...), the first at 'D', at
// most one per letter D..Z. Pure functions, used by the volume provider.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/linux/usb_scsi_disk.h"

namespace ib::platform {

inline constexpr char kFirstDriveLetter = 'D';
inline constexpr char kLastDriveLetter = 'Z';
inline constexpr std::size_t kMaxDriveLetterVolumes = kLastDriveLetter - kFirstDriveLetter + 1;  // 23

// Kernel disk names order shorter first, then alphabetically, the way the
// kernel hands them out: sdz < sdaa.
bool kernelNameLess(std::string_view left, std::string_view right);

// Puts disks in kernel-name order, the order of the drive letters and of
// the storage enumeration.
void sortByKernelName(std::vector<UsbScsiDisk>& disks);

// The disks that get a drive letter, in letter order.
std::vector<UsbScsiDisk> driveLetterCandidates(std::vector<UsbScsiDisk> disks);

// The position of `letter` in the candidate list; nullopt outside D..Z.
std::optional<std::size_t> candidateIndexOf(char letter);

}  // namespace ib::platform
