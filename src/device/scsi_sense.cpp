// Sense data decoding. See scsi_sense.h.
#include "device/scsi_sense.h"

#include <array>
#include <cstdio>

namespace ib {
namespace {

constexpr std::uint8_t kFixedCurrent = 0x70;
constexpr std::uint8_t kFixedDeferred = 0x71;
constexpr std::uint8_t kDescriptorCurrent = 0x72;
constexpr std::uint8_t kDescriptorDeferred = 0x73;

constexpr std::array<const char*, 16> kKeyNames = {
    "NO SENSE",       "RECOVERED ERROR", "NOT READY",       "MEDIUM ERROR",
    "HARDWARE ERROR", "ILLEGAL REQUEST", "UNIT ATTENTION",  "DATA PROTECT",
    "BLANK CHECK",    "VENDOR SPECIFIC", "COPY ABORTED",    "ABORTED COMMAND",
    "RESERVED",       "VOLUME OVERFLOW", "MISCOMPARE",      "COMPLETED"};

struct AdditionalSense {
    std::uint8_t asc;
    std::uint8_t ascq;
    const char* words;
};

// The codes a USB storage device of this kind is known to give.
constexpr AdditionalSense kAdditionalSense[] = {
    {0x00, 0x00, "no additional sense information"},
    {0x04, 0x00, "logical unit not ready"},
    {0x04, 0x01, "logical unit is becoming ready"},
    {0x0C, 0x00, "write error"},
    {0x11, 0x00, "unrecovered read error"},
    {0x20, 0x00, "invalid command operation code"},
    {0x21, 0x00, "logical block address out of range"},
    {0x24, 0x00, "invalid field in CDB"},
    {0x25, 0x00, "logical unit not supported"},
    {0x27, 0x00, "write protected"},
    {0x28, 0x00, "not ready to ready change, medium may have changed"},
    {0x29, 0x00, "power on, reset, or bus device reset occurred"},
    {0x2C, 0x00, "command sequence error"},
    {0x3A, 0x00, "medium not present"},
    {0x44, 0x00, "internal target failure"},
    {0x4B, 0x00, "data phase error"},
    {0x55, 0x03, "insufficient resources"},
};

const char* additionalSenseWords(std::uint8_t asc, std::uint8_t ascq) {
    for (const AdditionalSense& a : kAdditionalSense)
        if (a.asc == asc && a.ascq == ascq) return a.words;
    return nullptr;
}

SenseFields fieldsOf(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq) {
    return {static_cast<SenseKey>(key & 0x0F), asc, ascq};
}

}  // namespace

std::optional<SenseFields> decodeSense(std::span<const std::uint8_t> sense) {
    if (sense.empty()) return std::nullopt;
    const auto at = [&sense](std::size_t i) { return i < sense.size() ? sense[i] : std::uint8_t{0}; };
    switch (sense[0] & 0x7F) {
    case kFixedCurrent:
    case kFixedDeferred:
        // The ASC and ASCQ may be cut off by a short additional length: they read 0 then.
        if (sense.size() < 3) return std::nullopt;
        return fieldsOf(sense[2], at(12), at(13));
    case kDescriptorCurrent:
    case kDescriptorDeferred:
        if (sense.size() < 4) return std::nullopt;
        return fieldsOf(sense[1], sense[2], sense[3]);
    default:
        return std::nullopt;
    }
}

std::string describeSense(const SenseFields& fields) {
    const auto key = static_cast<std::size_t>(fields.key);
    char numbers[48];
    std::snprintf(numbers, sizeof numbers, "(sense key %zXh, ASC %02Xh, ASCQ %02Xh)", key, unsigned{fields.asc},
                  unsigned{fields.ascq});
    std::string text = kKeyNames[key];
    if (const char* words = additionalSenseWords(fields.asc, fields.ascq)) text += std::string(", ") + words;
    return text + " " + numbers;
}

}  // namespace ib
