// The recorder's volumes on Windows: "\\.\X:" opened for reading and writing,
// commands carried by IOCTL_SCSI_PASS_THROUGH (buffered) and
// IOCTL_SCSI_PASS_THROUGH_DIRECT (the caller's buffer). Only volumes on the USB
// bus are opened, so vendor commands never reach an internal disk.
#pragma once

#include "seams/pass_through.h"
#include "seams/recorder_lock_file.h"

namespace ib::platform {

class ScsiVolumeProvider final : public VolumeProvider {
public:
    // Each recorder is kept for one program by a machine-wide lock named from its USB port.
    ScsiVolumeProvider();
    std::unique_ptr<VolumeHandle> openVolume(char letter, std::string* whyNot = nullptr) override;
    std::string volumeName(char letter) const override;
    // The location path of the USB port behind the letter, from a handle that
    // only queries the device: no other program's use of it is disturbed.
    std::string volumePort(char letter) const override;

private:
    RecorderClaims m_claims;
};

}  // namespace ib::platform
