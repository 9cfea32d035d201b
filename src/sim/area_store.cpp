// Finding the sectors of an area that hold data. See area_store.h.
#include "sim/area_store.h"

#include <algorithm>

#include "device/sector.h"

namespace ib::sim {
namespace {

void addSector(std::vector<SectorRange>& ranges, std::uint64_t sector) {
    if (!ranges.empty() && ranges.back().first + ranges.back().count == sector) {
        ++ranges.back().count;
        return;
    }
    if (!ranges.empty() && ranges.back().first + ranges.back().count > sector) return;  // already counted
    ranges.push_back({sector, 1});
}

}  // namespace

std::vector<SectorRange> sectorsWithData(AreaStore& store) {
    std::vector<SectorRange> ranges;
    std::vector<std::uint8_t> buffer(kMaxTransferBytes);
    for (const ByteExtent& extent : store.storedExtents()) {
        // Whole sectors that overlap the extent.
        std::uint64_t sector = extent.offset / kSectorSize;
        const std::uint64_t end = sectorsFor(extent.offset + extent.length);
        while (sector < end) {
            const std::uint64_t pieceSectors = std::min<std::uint64_t>(end - sector, kMaxReadSectors);
            const std::span<std::uint8_t> piece(buffer.data(), pieceSectors * kSectorSize);
            if (!store.read(sector * kSectorSize, piece)) break;
            for (std::uint64_t i = 0; i < pieceSectors; ++i) {
                const auto bytes = piece.subspan(i * kSectorSize, kSectorSize);
                if (std::any_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b != 0; }))
                    addSector(ranges, sector + i);
            }
            sector += pieceSectors;
        }
    }
    return ranges;
}

}  // namespace ib::sim
