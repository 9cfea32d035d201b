// USB mass-storage Bulk-Only Transport framing: the host's 31-byte command block
// wrapper (CBW), the device's 13-byte command status wrapper (CSW), and fitting a
// data-in reply to the length the host asked for. Used by BulkOnlyTransport.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "seams/pass_through.h"
#include "sim/scsi_target.h"

namespace ib::sim::gadget {

inline constexpr std::size_t kCbwLength = 31;
inline constexpr std::size_t kCswLength = 13;
inline constexpr std::uint32_t kCbwSignature = 0x43425355;  // "USBC" little-endian
inline constexpr std::uint32_t kCswSignature = 0x53425355;  // "USBS" little-endian
inline constexpr std::size_t kMaxCdbLength = 16;

enum class CswStatus : std::uint8_t { Passed = 0, Failed = 1, PhaseError = 2 };

struct CommandBlockWrapper {
    std::uint32_t tag = 0;
    std::uint32_t dataTransferLength = 0;
    DataDirection direction = DataDirection::None;  // None whenever the length is 0
    std::uint8_t lun = 0;
    std::array<std::uint8_t, kMaxCdbLength> cdbBytes{};
    std::uint8_t cdbLength = 0;

    std::span<const std::uint8_t> cdb() const { return {cdbBytes.data(), cdbLength}; }
};

using CommandStatusWrapper = std::array<std::uint8_t, kCswLength>;

// Nothing when the bytes are not a valid and meaningful CBW: a length other
// than 31, a wrong signature, reserved flag bits or a command block length
// outside 1..16, or a LUN other than 0 (the only one Get Max LUN reports).
std::optional<CommandBlockWrapper> parseCommandBlockWrapper(std::span<const std::uint8_t> bytes);

CommandStatusWrapper commandStatusWrapper(std::uint32_t tag, std::uint32_t residue, CswStatus status);

// GOOD passes; CHECK CONDITION fails (the host fetches the sense with REQUEST
// SENSE and its call still completes); a response that must fail the host's
// call reports a phase error, after which the host resets the device and
// fails the call.
CswStatus cswStatusFor(const ScsiResponse& response);

// Fits a data-in reply to the host's buffer: the bytes past what the target
// delivered are zeroed, so exactly the asked length goes out, and the
// shortfall is returned as the residue. A delivery longer than the buffer is
// cut to it.
std::uint32_t padDataIn(std::span<std::uint8_t> hostBuffer, std::size_t delivered);

}  // namespace ib::sim::gadget
