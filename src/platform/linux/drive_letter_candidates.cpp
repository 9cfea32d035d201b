// Drive letters for USB disks. See drive_letter_candidates.h.
#include "platform/linux/drive_letter_candidates.h"

#include <algorithm>

namespace ib::platform {

bool kernelNameLess(std::string_view left, std::string_view right) {
    if (left.size() != right.size()) return left.size() < right.size();
    return left < right;
}

void sortByKernelName(std::vector<UsbScsiDisk>& disks) {
    std::sort(disks.begin(), disks.end(), [](const UsbScsiDisk& left, const UsbScsiDisk& right) {
        return kernelNameLess(left.kernelName, right.kernelName);
    });
}

std::vector<UsbScsiDisk> driveLetterCandidates(std::vector<UsbScsiDisk> disks) {
    sortByKernelName(disks);
    if (disks.size() > kMaxDriveLetterVolumes) disks.resize(kMaxDriveLetterVolumes);
    return disks;
}

std::optional<std::size_t> candidateIndexOf(char letter) {
    if (letter < kFirstDriveLetter || letter > kLastDriveLetter) return std::nullopt;
    return static_cast<std::size_t>(letter - kFirstDriveLetter);
}

}  // namespace ib::platform
