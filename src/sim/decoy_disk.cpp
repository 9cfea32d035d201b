// Decoy disks in front of the simulated recorder. See decoy_disk.h.
#include "sim/decoy_disk.h"

#include "sim/command_log.h"

namespace ib::sim {

std::string decoyDescription(DecoyKind kind) {
    switch (kind) {
    case DecoyKind::NotOpening:
        return "disk that does not open";
    case DecoyKind::InquiryFormat2:
        return "disk with INQUIRY format 2";
    case DecoyKind::IdentifyFails:
        return "disk that fails Identify";
    }
    return "disk";
}

ScsiResponse DecoyDisk::execute(const ScsiCommand& command) {
    const InquiryIdentity identity{
        static_cast<std::uint8_t>(m_kind == DecoyKind::InquiryFormat2 ? 0x02 : 0x01), "GENERIC",
        "USB FLASH DISK", "1.00"};
    ScsiResponse response;
    // This disk stalls on vendor blocks, so the host's call fails; the others reject them politely.
    if (m_kind == DecoyKind::IdentifyFails && !command.cdb.empty() && command.cdb[0] == 0xFA)
        response = hostCallFailure(refusal::kInvalidOpcode);
    else
        response = m_standard.execute(command, identity);
    m_standard.remember(response);
    m_log.push_back(commandLogLine(command.cdb, command.direction, command.dataLength, response.good()));
    return response;
}

}  // namespace ib::sim
