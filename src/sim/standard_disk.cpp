// Standard SCSI commands on a small zero medium. See standard_disk.h.
#include "sim/standard_disk.h"

#include <algorithm>

#include "device/sector.h"
#include "device/vendor_command.h"

namespace ib::sim {
namespace {

enum Opcode : std::uint8_t {
    kTestUnitReady = 0x00,
    kRequestSense = 0x03,
    kInquiry = 0x12,
    kModeSense6 = 0x1A,
    kPreventAllowMediumRemoval = 0x1E,
    kReadCapacity10 = 0x25,
    kRead10 = 0x28,
};

std::size_t minimumCdbLength(std::uint8_t opcode) { return opcode >= 0x20 ? 10 : 6; }

// Copies as much of `reply` as the allocation length and the data phase allow.
ScsiResponse deliver(const ScsiCommand& command, std::span<const std::uint8_t> reply,
                     std::size_t allocationLength) {
    if (command.direction != DataDirection::In) return goodResponse();
    const std::size_t n = std::min({reply.size(), allocationLength, command.dataLength, command.data.size()});
    std::copy_n(reply.begin(), n, command.data.begin());
    return goodResponse(n);
}

void putPadded(std::span<std::uint8_t> field, const std::string& text) {
    std::fill(field.begin(), field.end(), std::uint8_t{' '});
    std::copy_n(text.begin(), std::min(text.size(), field.size()), field.begin());
}

}  // namespace

std::array<std::uint8_t, kInquiryLength> inquiryData(const InquiryIdentity& identity) {
    std::array<std::uint8_t, kInquiryLength> data{};
    data[0] = 0x00;  // direct-access block device
    data[1] = 0x80;  // removable medium
    data[2] = 0x02;
    data[3] = identity.responseDataFormat;
    data[4] = kInquiryLength - 5;  // additional length
    putPadded(std::span(data).subspan(8, 8), identity.vendor);
    putPadded(std::span(data).subspan(16, 16), identity.product);
    putPadded(std::span(data).subspan(32, 4), identity.revision);
    return data;
}

StandardDisk::StandardDisk(std::uint32_t mediumSectors)
    : m_mediumSectors(mediumSectors), m_lastSense(senseFor({})) {}

void StandardDisk::remember(const ScsiResponse& response) {
    m_lastSense = response.good() ? senseFor({}) : response.sense;
}

ScsiResponse StandardDisk::execute(const ScsiCommand& command, const InquiryIdentity& identity) const {
    if (command.cdb.empty()) return checkCondition(refusal::kInvalidOpcode);
    const std::uint8_t opcode = command.cdb[0];
    if (command.cdb.size() < minimumCdbLength(opcode)) return checkCondition(refusal::kInvalidFieldInCdb);
    switch (opcode) {
    case kTestUnitReady:
    case kPreventAllowMediumRemoval:
        return goodResponse();
    case kRequestSense:
        return deliver(command, m_lastSense, command.cdb[4]);
    case kInquiry:
        return inquiry(command, identity);
    case kModeSense6: {
        // Header only: no block descriptors, no pages, not write-protected.
        const std::uint8_t header[4] = {3, 0, 0, 0};
        return deliver(command, header, command.cdb[4]);
    }
    case kReadCapacity10:
        return readCapacity(command);
    case kRead10:
        return read10(command);
    default:
        return checkCondition(refusal::kInvalidOpcode);
    }
}

ScsiResponse StandardDisk::inquiry(const ScsiCommand& command, const InquiryIdentity& identity) const {
    // Vital product data pages are not offered.
    if (command.cdb[1] & 0x01) return checkCondition(refusal::kInvalidFieldInCdb);
    const auto data = inquiryData(identity);
    return deliver(command, data, bigEndian16(command.cdb, 3));
}

ScsiResponse StandardDisk::readCapacity(const ScsiCommand& command) const {
    std::uint8_t reply[8];
    const std::uint32_t lastLba = m_mediumSectors - 1;
    const std::uint32_t blockLength = kSectorSize;
    for (int i = 0; i < 4; ++i) {
        reply[i] = static_cast<std::uint8_t>(lastLba >> (24 - 8 * i));
        reply[4 + i] = static_cast<std::uint8_t>(blockLength >> (24 - 8 * i));
    }
    return deliver(command, reply, sizeof reply);
}

ScsiResponse StandardDisk::read10(const ScsiCommand& command) const {
    const std::uint64_t first = bigEndian32(command.cdb, 2);
    const std::uint64_t count = bigEndian16(command.cdb, 7);
    if (first + count > m_mediumSectors) return checkCondition(refusal::kLbaOutOfRange);
    if (command.direction != DataDirection::In) return goodResponse();
    const std::size_t n =
        std::min<std::size_t>({count * kSectorSize, command.dataLength, command.data.size()});
    std::fill_n(command.data.begin(), n, std::uint8_t{0});
    return goodResponse(n);
}

}  // namespace ib::sim
