// The two Windows pass-through requests as values, and their replies as the
// command layer's ScsiOutcome. Pure, so the request fields and the success rule
// are tested on every platform; the Windows volume only copies them into the
// system's structures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "seams/pass_through.h"

namespace ib::platform {

// The data area of a buffered request.
inline constexpr std::size_t kBufferedDataBytes = 65536;
inline constexpr std::uint8_t kSenseInfoLength = 24;

// What differs between requests in the pass-through header.
struct PassThroughFields {
    bool direct = false;  // IOCTL_SCSI_PASS_THROUGH_DIRECT with the caller's buffer
    std::uint8_t targetId = 1;
    std::uint8_t cdbLength = 0;
    std::uint8_t dataIn = 0;  // 1: data in (the buffered kind, also without data); 0: data out
    std::uint32_t dataTransferLength = 0;
    std::uint32_t timeOutValue = 0;
};

// nullopt for a request the pass-through cannot carry: a command block that is
// not 6 or 16 bytes, a buffered request larger than its data area, data in
// through the direct kind, or data out through the buffered kind.
std::optional<PassThroughFields> passThroughFields(const ScsiRequest& request);

// What the control call reported.
struct PassThroughReply {
    bool callSucceeded = false;  // DeviceIoControl's own result
    std::uint8_t scsiStatus = 0;
    std::uint8_t senseInfoLength = 0;  // as the driver left it in the header
    std::span<const std::uint8_t> senseArea;
    std::uint32_t dataTransferLength = 0;  // as the driver left it in the header
    std::size_t requestedLength = 0;
    std::string callFailure;  // for a failed call: the system's text for GetLastError()
};

// A call that succeeded completed the command on the bus, also when the device
// answered CHECK CONDITION: the status, and the sense the driver reports for
// it, go to the command layer, which judges them. A failed call has neither.
// The sense never exceeds the sense area, and the transferred count never
// exceeds what was asked for.
ScsiOutcome outcomeOf(const PassThroughReply& reply);

}  // namespace ib::platform
