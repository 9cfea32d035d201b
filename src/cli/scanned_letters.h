// What `detect` prints about the drive letters recorder discovery tried: each
// letter with a volume behind it and why that volume was or was not taken.
// Letters with nothing behind them are left out, so an empty machine gets one
// line instead of one per letter.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "device/usb_scsi_cmd.h"

namespace ib::cli {

// One drive letter as the scan saw it.
struct ScannedLetter {
    VolumeScanReport report;
    std::string volumeName;  // "" when no volume stands behind the letter
};

// The device mode as detect and probe name it: "boot ROM", "updater", "none".
const char* modeName(std::int32_t mode);

// Writes the "Candidate volumes" lines. `diskListAvailable` tells whether the
// USB storage devices could be listed at all; when they could not and no letter
// has a volume, the first letter's reason is the one worth showing.
void describeScannedLetters(std::ostream& out, const std::vector<ScannedLetter>& letters, bool diskListAvailable);

}  // namespace ib::cli
