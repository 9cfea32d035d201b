// The standard SCSI commands a host kernel sends when a USB disk attaches
// (INQUIRY, TEST UNIT READY, REQUEST SENSE, READ CAPACITY(10), READ(10),
// MODE SENSE(6), PREVENT ALLOW MEDIUM REMOVAL), answered for a small medium of
// zero sectors. The recorder and the decoy disks both use it.
#pragma once

#include <cstdint>
#include <string>

#include "sim/scsi_target.h"

namespace ib::sim {

// What INQUIRY reports.
struct InquiryIdentity {
    std::uint8_t responseDataFormat = 0x01;  // byte 3
    std::string vendor;                      // padded to 8
    std::string product;                     // padded to 16
    std::string revision = "1.00";           // padded to 4
};

inline constexpr std::size_t kInquiryLength = 36;
inline constexpr std::uint32_t kStandardMediumSectors = 2048;

class StandardDisk {
public:
    explicit StandardDisk(std::uint32_t mediumSectors = kStandardMediumSectors);

    // Answers a standard command; any other opcode gives CHECK CONDITION,
    // ILLEGAL REQUEST, invalid opcode, and the host call completes.
    ScsiResponse execute(const ScsiCommand& command, const InquiryIdentity& identity) const;
    // Keeps the sense of the command just finished for the next REQUEST SENSE.
    void remember(const ScsiResponse& response);

private:
    ScsiResponse inquiry(const ScsiCommand& command, const InquiryIdentity& identity) const;
    ScsiResponse readCapacity(const ScsiCommand& command) const;
    ScsiResponse read10(const ScsiCommand& command) const;

    std::uint32_t m_mediumSectors;
    SenseData m_lastSense;
};

// 36 bytes of standard INQUIRY data.
std::array<std::uint8_t, kInquiryLength> inquiryData(const InquiryIdentity& identity);

}  // namespace ib::sim
