// An open SCSI generic node (/dev/sgN) that carries command blocks through the
// sg3_utils pass-through. Made by SgVolumeProvider; closing is destruction.
#pragma once

#include <memory>

#include "seams/pass_through.h"
#include "seams/recorder_lock.h"

namespace ib::platform {

class SgVolumeHandle final : public VolumeHandle {
public:
    // Takes ownership of a descriptor from scsi_pt_open_device, opened under
    // `claim`, the lock that keeps the recorder for this program.
    SgVolumeHandle(int descriptor, std::shared_ptr<RecorderLock> claim);
    ~SgVolumeHandle() override;
    SgVolumeHandle(const SgVolumeHandle&) = delete;
    SgVolumeHandle& operator=(const SgVolumeHandle&) = delete;

    // Not completed when the command could not be carried (see outcomeOf);
    // a timeout of 0 leaves the pass-through's default.
    ScsiOutcome send(const ScsiRequest& request) override;
    std::shared_ptr<const void> recorderClaim() const override { return m_claim; }

private:
    int m_descriptor;
    std::shared_ptr<RecorderLock> m_claim;
};

}  // namespace ib::platform
