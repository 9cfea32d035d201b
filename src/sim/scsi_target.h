// A SCSI target as the simulator sees it: one command block with its data
// phase in, status, sense and delivered bytes out, independent of how the block
// arrived (pass-through seam in tests, USB Bulk-Only Transport later).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "seams/pass_through.h"

namespace ib::sim {

inline constexpr std::uint8_t kStatusGood = 0x00;
inline constexpr std::uint8_t kStatusCheckCondition = 0x02;
inline constexpr std::size_t kSenseLength = 18;  // fixed-format sense data

using SenseData = std::array<std::uint8_t, kSenseLength>;

// A reason to refuse a command, as it appears in the sense data.
struct Refusal {
    std::uint8_t senseKey = 0;
    std::uint8_t asc = 0;
    std::uint8_t ascq = 0;
    bool operator==(const Refusal&) const = default;
};

namespace refusal {
inline constexpr Refusal kInvalidOpcode{0x05, 0x20, 0x00};  // ILLEGAL REQUEST
inline constexpr Refusal kLbaOutOfRange{0x05, 0x21, 0x00};
inline constexpr Refusal kInvalidFieldInCdb{0x05, 0x24, 0x00};
inline constexpr Refusal kSequenceError{0x05, 0x2C, 0x00};  // command not valid in this state
inline constexpr Refusal kInsufficientResources{0x05, 0x55, 0x03};
inline constexpr Refusal kDataPhaseError{0x0B, 0x4B, 0x00};   // ABORTED COMMAND
inline constexpr Refusal kInternalFailure{0x04, 0x44, 0x00};  // HARDWARE ERROR (injected faults)
inline constexpr Refusal kReadError{0x03, 0x11, 0x00};        // MEDIUM ERROR
inline constexpr Refusal kWriteError{0x03, 0x0C, 0x00};
}  // namespace refusal

// One command block with its data phase. For In, `data` receives up to
// `dataLength` bytes; for Out it holds them; for None `dataLength` is 0.
struct ScsiCommand {
    std::span<const std::uint8_t> cdb;
    DataDirection direction = DataDirection::None;
    std::span<std::uint8_t> data;
    std::size_t dataLength = 0;
};

struct ScsiResponse {
    std::uint8_t status = kStatusGood;
    SenseData sense{};          // all zero (NO SENSE) after a good command
    std::size_t delivered = 0;  // bytes written into the data buffer (data-in)
    // The device does not complete the command: on USB it stalls or breaks the
    // phase and the host resets it, so the host's pass-through call fails.
    bool failHostCall = false;

    bool good() const { return status == kStatusGood; }
};

SenseData senseFor(const Refusal& refusal);
ScsiResponse goodResponse(std::size_t delivered = 0);
// CHECK CONDITION with sense; the host call still completes.
ScsiResponse checkCondition(const Refusal& refusal);
// CHECK CONDITION with sense, and the host call fails.
ScsiResponse hostCallFailure(const Refusal& refusal);

// What carrying out one command came to: bytes delivered, or why it was refused.
struct CommandOutcome {
    std::size_t delivered = 0;
    std::optional<Refusal> refusal;

    static CommandOutcome done(std::size_t delivered = 0) { return {delivered, std::nullopt}; }
    static CommandOutcome refused(const Refusal& why) { return {0, why}; }
};

class ScsiTarget {
public:
    virtual ~ScsiTarget() = default;
    virtual ScsiResponse execute(const ScsiCommand& command) = 0;
};

}  // namespace ib::sim
