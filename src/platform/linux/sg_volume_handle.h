// An open SCSI generic node (/dev/sgN) that carries command blocks through the
// sg3_utils pass-through. Made by SgVolumeProvider; closing is destruction.
#pragma once

#include "seams/pass_through.h"

namespace ib::platform {

class SgVolumeHandle final : public VolumeHandle {
public:
    // Takes ownership of a descriptor from scsi_pt_open_device.
    explicit SgVolumeHandle(int descriptor);
    ~SgVolumeHandle() override;
    SgVolumeHandle(const SgVolumeHandle&) = delete;
    SgVolumeHandle& operator=(const SgVolumeHandle&) = delete;

    // Not completed when the command could not be carried (see outcomeOf);
    // a timeout of 0 leaves the pass-through's default.
    ScsiOutcome send(const ScsiRequest& request) override;

private:
    int m_descriptor;
};

}  // namespace ib::platform
