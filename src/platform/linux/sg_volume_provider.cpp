// USB disks as drive letters. See sg_volume_provider.h.
#include "platform/linux/sg_volume_provider.h"

#include <fcntl.h>
#include <scsi/sg_pt.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/drive_letter_candidates.h"
#include "platform/linux/recorder_lock_place.h"
#include "platform/linux/sg_volume_handle.h"
#include "platform/linux/usb_scsi_disk_scan.h"

namespace ib::platform {
namespace {

void giveReason(std::string* whyNot, std::string reason) {
    if (whyNot) *whyNot = std::move(reason);
}

std::string noGenericNodeReason(const UsbScsiDisk& disk) {
    return disk.kernelName + " has no SCSI generic node: load the sg driver (sudo modprobe sg)";
}

std::string noCandidateReason(char letter, std::size_t candidates) {
    return std::string("no USB disk at drive letter ") + letter + " (" + std::to_string(candidates) +
           " USB disk" + (candidates == 1 ? "" : "s") + " present)";
}

}  // namespace

std::string openFailureReason(const UsbScsiDisk& disk, int error) {
    const std::string node = disk.genericNode + " (" + disk.kernelName + ")";
    if (error == EACCES || error == EPERM) {
        return "permission denied on " + node +
               ": install the udev rules (sudo cmake --install build, then sudo udevadm control --reload "
               "&& sudo udevadm trigger) or run as a member of group disk";
    }
    if (error == EBUSY) return node + " is in use by another program: close it and try again";
    return "cannot open " + node + ": " + std::strerror(error);
}

SgVolumeProvider::SgVolumeProvider(UsbDiskLister lister, std::filesystem::path lockFolder)
    : m_lister(std::move(lister)), m_claims(std::move(lockFolder)) {}

SgVolumeProvider::SgVolumeProvider() : SgVolumeProvider(listUsbScsiDisks, recorderLockFolder()) {}

std::optional<UsbScsiDisk> SgVolumeProvider::candidateAt(char letter, bool freshList,
                                                         std::string* whyNot) const {
    const auto index = candidateIndexOf(letter);
    if (!index) {
        giveReason(whyNot, std::string("drive letter ") + letter + " is not one of D to Z");
        return std::nullopt;
    }
    std::lock_guard lock(m_mutex);
    if (freshList || !m_candidates) {
        auto disks = m_lister();
        if (!disks) {
            m_candidates.reset();
            giveReason(whyNot, "the USB disks cannot be listed: udev enumeration failed");
            return std::nullopt;
        }
        m_candidates = driveLetterCandidates(std::move(*disks));
    }
    if (*index >= m_candidates->size()) {
        giveReason(whyNot, noCandidateReason(letter, m_candidates->size()));
        return std::nullopt;
    }
    return (*m_candidates)[*index];
}

std::unique_ptr<VolumeHandle> SgVolumeProvider::openVolume(char letter, std::string* whyNot) {
    const auto disk = candidateAt(letter, letter == kFirstDriveLetter, whyNot);
    if (!disk) return nullptr;
    if (disk->genericNode.empty()) {
        giveReason(whyNot, noGenericNodeReason(*disk));
        return nullptr;
    }
    // Taken before the node is opened: a program that cannot have the
    // recorder sends it nothing, not even the identifying commands.
    auto claim = m_claims.claim(recorderIdentity(*disk), whyNot);
    if (!claim) return nullptr;
    // Read-write: the sg driver then carries any opcode, vendor ones included,
    // while the block node would refuse them without CAP_SYS_RAWIO. Exclusive:
    // a second program's commands must never land between this one's (the sg
    // driver grants one exclusive opener; without blocking, a second gets EBUSY).
    const int descriptor =
        scsi_pt_open_flags(disk->genericNode.c_str(), O_RDWR | O_EXCL | O_NONBLOCK, /*verbose=*/0);
    if (descriptor < 0) {
        giveReason(whyNot, openFailureReason(*disk, -descriptor));
        return nullptr;
    }
    return std::make_unique<SgVolumeHandle>(descriptor, std::move(claim), disk->sysPath);
}

std::string SgVolumeProvider::volumeName(char letter) const {
    const auto disk = candidateAt(letter, /*freshList=*/false, nullptr);
    return disk ? displayNameOf(*disk) : "";
}

std::string SgVolumeProvider::volumePort(char letter) const {
    const auto disk = candidateAt(letter, letter == kFirstDriveLetter, nullptr);
    return disk ? recorderIdentity(*disk) : "";
}

}  // namespace ib::platform
