// The sectors a run has written, as the recorder would hold them, kept by a
// replay whose recording has only digests of the sectors read: a read of
// sectors the run wrote is answered with them when their digest is the
// recorded one. Follows the storage area chosen with SelectStorage.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <tuple>
#include <vector>

#include "seams/pass_through.h"

namespace ib::record {

class SectorMirror {
public:
    // Takes note of a command the run sends: an area choice or a sector write.
    void noteSent(const ScsiRequest& request);
    // The sectors a read asks for as the run wrote them, unwritten ones zero;
    // nullopt for a command that is no sector read.
    std::optional<std::vector<std::uint8_t>> sectorsRead(const ScsiRequest& request) const;

private:
    using Sector = std::array<std::uint8_t, 512>;
    // Storage type, area, sector number.
    using Address = std::tuple<std::uint8_t, std::uint8_t, std::uint32_t>;

    std::uint8_t m_storageType = 0;
    std::uint8_t m_area = 0;
    std::map<Address, Sector> m_sectors;
};

}  // namespace ib::record
