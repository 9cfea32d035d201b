// The shape every vendor command must have for the simulated recorder to take
// it: which CDB bytes it uses (the rest must be 0), its data direction and
// length, and the modes it works in. The recorder refuses anything else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "device/vendor_command.h"
#include "sim/recorder_state.h"
#include "sim/scsi_target.h"

namespace ib::sim {

struct VendorCommandRule {
    VendorCode code;
    std::size_t firstReservedByte;             // bytes from here to 15 must be 0
    DataDirection direction;                   // of the data phase when its length is not 0
    std::size_t fixedLength;                   // bytes, when no sector count is given
    std::optional<std::size_t> sectorCountAt;  // 16-bit big-endian count: length = count × 512
    bool inBootRom;
    bool inUpdater;

    bool allowedIn(RecorderMode mode) const { return mode == RecorderMode::BootRom ? inBootRom : inUpdater; }
};

// The rule of a vendor code, or null for a code the recorder does not know.
const VendorCommandRule* findVendorRule(std::uint8_t code);

// The data length a well-formed block of this rule carries.
std::size_t expectedDataLength(const VendorCommandRule& rule, std::span<const std::uint8_t> cdb);

// Why a block that has the signature and a known code is malformed, or
// nothing when it is well-formed. Data phases above 64 KiB are refused too.
std::optional<Refusal> checkVendorShape(const VendorCommandRule& rule, const ScsiCommand& command);

}  // namespace ib::sim
