// Other USB disks placed in front of the recorder, so the host's drive-letter
// scan meets what a real machine offers: a volume that does not open, a disk
// whose INQUIRY byte 3 is 0x02, and a disk that answers INQUIRY (byte 3 = 0x01)
// but does not complete the vendor Identify.
#pragma once

#include <string>
#include <vector>

#include "sim/scsi_target.h"
#include "sim/standard_disk.h"

namespace ib::sim {

enum class DecoyKind { NotOpening, InquiryFormat2, IdentifyFails };

std::string decoyDescription(DecoyKind kind);

class DecoyDisk final : public ScsiTarget {
public:
    explicit DecoyDisk(DecoyKind kind) : m_kind(kind) {}

    ScsiResponse execute(const ScsiCommand& command) override;
    DecoyKind kind() const { return m_kind; }
    // The commands it received, in the recorder's log format.
    const std::vector<std::string>& commandLog() const { return m_log; }

private:
    DecoyKind m_kind;
    StandardDisk m_standard;
    std::vector<std::string> m_log;
};

}  // namespace ib::sim
