// An open SCSI generic node (/dev/sgN) that carries command blocks through the
// sg3_utils pass-through. Made by SgVolumeProvider; closing is destruction.
#pragma once

#include <filesystem>
#include <memory>

#include "platform/linux/mounted_partitions.h"
#include "platform/linux/page_aligned_transfer.h"
#include "seams/pass_through.h"
#include "seams/recorder_lock.h"

namespace ib::platform {

class SgVolumeHandle final : public VolumeHandle {
public:
    // Takes ownership of a descriptor from scsi_pt_open_device, opened under
    // `claim`, the lock that keeps the recorder for this program. `diskSysPath`
    // is the sysfs folder of the node's disk ("/sys/devices/.../block/sdb").
    SgVolumeHandle(int descriptor, std::shared_ptr<RecorderLock> claim, std::filesystem::path diskSysPath);
    ~SgVolumeHandle() override;
    SgVolumeHandle(const SgVolumeHandle&) = delete;
    SgVolumeHandle& operator=(const SgVolumeHandle&) = delete;

    // Not completed when the command could not be carried (see outcomeOf);
    // a timeout of 0 leaves the pass-through's default.
    ScsiOutcome send(const ScsiRequest& request) override;
    std::shared_ptr<const void> recorderClaim() const override { return m_claim; }
    // Mounted while the system has a partition of the disk (or the whole disk) mounted.
    [[nodiscard]] StorageWrites prepareStorageWrites(std::string& whyNot) override;
    // Through udisks (udisksctl unmount -b), which lets the user at the seat
    // unmount a removable disk without root.
    [[nodiscard]] bool unmountStorage(std::string& whyNot) override;

private:
    // The system's mounts of the disk and its partitions, from the kernel's mount table.
    std::vector<MountedPartition> storageMounts() const;

    int m_descriptor;
    std::shared_ptr<RecorderLock> m_claim;
    std::filesystem::path m_diskSysPath;
    PageAlignedTransfer m_transfer;
};

}  // namespace ib::platform
