// Decoding of the index table sector. See index_table_view.h.
#include "sim/index_table_view.h"

#include "device/sector.h"
#include "device/vendor_command.h"

namespace ib::sim {

IndexTableView decodeIndexTable(std::span<const std::uint8_t> sector) {
    IndexTableView view;
    if (sector.size() < kSectorSize) return view;
    view.headMagic = littleEndian32(sector, 0);
    view.storageMarker = littleEndian32(sector, 4);
    view.tailMagic = littleEndian32(sector, 508);
    for (std::size_t k = 0; k < kIndexTableEntries; ++k) {
        const std::size_t at = 16 + 16 * k;
        view.entries[k] = {littleEndian32(sector, at), littleEndian32(sector, at + 4),
                           littleEndian32(sector, at + 8), littleEndian32(sector, at + 12)};
    }
    return view;
}

}  // namespace ib::sim
