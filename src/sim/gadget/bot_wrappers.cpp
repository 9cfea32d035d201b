// Bulk-Only Transport wrappers. See bot_wrappers.h.
#include "sim/gadget/bot_wrappers.h"

#include <algorithm>

namespace ib::sim::gadget {
namespace {

constexpr std::uint8_t kFlagDataIn = 0x80;

std::uint32_t littleEndian32At(std::span<const std::uint8_t> bytes, std::size_t at) {
    return std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8 | std::uint32_t{bytes[at + 2]} << 16 |
           std::uint32_t{bytes[at + 3]} << 24;
}

void putLittleEndian32At(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

std::optional<CommandBlockWrapper> parseCommandBlockWrapper(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kCbwLength || littleEndian32At(bytes, 0) != kCbwSignature) return std::nullopt;
    const std::uint8_t flags = bytes[12];
    const std::uint8_t lunByte = bytes[13];
    const std::uint8_t cdbLength = bytes[14];
    // Bits 0..6 of the flags, the top nibble of the LUN byte and the top three
    // bits of the length byte are reserved.
    if ((flags & ~kFlagDataIn) != 0 || (lunByte & 0xF0) != 0 || (cdbLength & 0xE0) != 0) return std::nullopt;
    if (cdbLength == 0 || cdbLength > kMaxCdbLength || lunByte != 0) return std::nullopt;

    CommandBlockWrapper cbw;
    cbw.tag = littleEndian32At(bytes, 4);
    cbw.dataTransferLength = littleEndian32At(bytes, 8);
    if (cbw.dataTransferLength != 0)
        cbw.direction = (flags & kFlagDataIn) != 0 ? DataDirection::In : DataDirection::Out;
    cbw.lun = lunByte;
    cbw.cdbLength = cdbLength;
    std::copy_n(bytes.begin() + 15, cdbLength, cbw.cdbBytes.begin());
    return cbw;
}

CommandStatusWrapper commandStatusWrapper(std::uint32_t tag, std::uint32_t residue, CswStatus status) {
    CommandStatusWrapper csw{};
    putLittleEndian32At(csw, 0, kCswSignature);
    putLittleEndian32At(csw, 4, tag);
    putLittleEndian32At(csw, 8, residue);
    csw[12] = static_cast<std::uint8_t>(status);
    return csw;
}

CswStatus cswStatusFor(const ScsiResponse& response) {
    if (response.failHostCall) return CswStatus::PhaseError;
    return response.good() ? CswStatus::Passed : CswStatus::Failed;
}

std::uint32_t padDataIn(std::span<std::uint8_t> hostBuffer, std::size_t delivered) {
    const std::size_t kept = std::min(delivered, hostBuffer.size());
    std::fill(hostBuffer.begin() + static_cast<std::ptrdiff_t>(kept), hostBuffer.end(), std::uint8_t{0});
    return static_cast<std::uint32_t>(hostBuffer.size() - kept);
}

}  // namespace ib::sim::gadget
