// What a SCSI device says when it answers CHECK CONDITION: the sense key, the
// additional sense code (ASC) and its qualifier (ASCQ), read from fixed- or
// descriptor-format sense data, and the words the log shows for them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace ib {

enum class SenseKey : std::uint8_t {
    NoSense = 0x0,
    RecoveredError = 0x1,
    NotReady = 0x2,
    MediumError = 0x3,
    HardwareError = 0x4,
    IllegalRequest = 0x5,
    UnitAttention = 0x6,
    DataProtect = 0x7,
    BlankCheck = 0x8,
    VendorSpecific = 0x9,
    CopyAborted = 0xA,
    AbortedCommand = 0xB,
    Reserved = 0xC,
    VolumeOverflow = 0xD,
    Miscompare = 0xE,
    Completed = 0xF,
};

struct SenseFields {
    SenseKey key = SenseKey::NoSense;
    std::uint8_t asc = 0;
    std::uint8_t ascq = 0;
};

// nullopt for bytes that are sense data of neither format (too short, or
// another response code).
std::optional<SenseFields> decodeSense(std::span<const std::uint8_t> sense);

// "ILLEGAL REQUEST, invalid field in CDB (sense key 5h, ASC 24h, ASCQ 00h)";
// an ASC this program has no words for is shown by its numbers only.
std::string describeSense(const SenseFields& fields);

}  // namespace ib
