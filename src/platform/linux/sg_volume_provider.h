// The drive letters D..Z on Linux: the SCSI disks attached over USB, in kernel
// name order, each opened through its SCSI generic node for vendor commands.
// Made by the platform factory; the command layer's Open walks the letters.
#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

#include "platform/linux/usb_scsi_disk.h"
#include "seams/pass_through.h"
#include "seams/recorder_lock_file.h"

namespace ib::platform {

class SgVolumeProvider final : public VolumeProvider {
public:
    // `lister` is the udev scan in the program; tests pass their own disks.
    // The recorders' lock files lie in `lockFolder`.
    SgVolumeProvider(UsbDiskLister lister, std::filesystem::path lockFolder);
    SgVolumeProvider();

    // Opening 'D' takes a fresh list of the disks: every scan of the letters
    // starts there. The other letters use that list, so the letters cannot
    // shift under a scan when a disk comes or goes in the middle of it, and a
    // scan lists the disks once instead of once per letter.
    std::unique_ptr<VolumeHandle> openVolume(char letter, std::string* whyNot = nullptr) override;
    // "sdb (/dev/sg2, QUB CARD READER)", from the list of the latest scan.
    std::string volumeName(char letter) const override;
    // The port path of the disk at the letter; 'D' takes a fresh list, as opening it does.
    std::string volumePort(char letter) const override;

private:
    std::optional<UsbScsiDisk> candidateAt(char letter, bool freshList, std::string* whyNot) const;

    UsbDiskLister m_lister;
    mutable std::mutex m_mutex;  // the command layer is used from more than one thread
    mutable std::optional<std::vector<UsbScsiDisk>> m_candidates;  // nullopt until a list was taken
    RecorderClaims m_claims;  // by the USB port each recorder is plugged into
};

// The one-line reason an sg node could not be opened, with the fix for a
// missing permission. `error` is the errno value of the failed open.
std::string openFailureReason(const UsbScsiDisk& disk, int error);

}  // namespace ib::platform
