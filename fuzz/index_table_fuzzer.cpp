// The index table sector's two decoders on arbitrary bytes: the program's
// (which edits the sector) and the simulated recorder's (which reads it)
// must agree, and writing back what was read must change nothing.
#include <algorithm>
#include <cstdint>
#include <span>

#include "bootarea/index_table_sector.h"
#include "fuzz_support.h"
#include "sim/index_table_view.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const ib::IndexTableSector sector = ib::IndexTableSector::fromBytes(bytes);
    const ib::sim::IndexTableView view = ib::sim::decodeIndexTable(sector.bytes());
    (void)ib::sim::decodeIndexTable(bytes);

    ib::fuzz::require(view.hasBothMagics() == sector.hasMagic(), "both decoders see the same magic words");
    ib::fuzz::require(view.storageMarker == sector.storageMarker(), "both decoders see the same storage marker");
    (void)sector.isBurnt();
    (void)sector.userAreaCapacity();

    ib::IndexTableSector rewritten = sector;
    for (std::size_t k = 0; k < ib::kIndexTableEntryCount; ++k) {
        const ib::IndexTableEntry entry = sector.entry(k);
        const ib::sim::IndexTableEntry seen = view.entries[k];
        ib::fuzz::require(entry.startSector == seen.start && entry.sectorCount == seen.count &&
                              entry.attributes == seen.attributes && entry.reserved == seen.reserved,
                          "both decoders see the same entries");
        rewritten.setEntry(k, entry.startSector, entry.sectorCount, entry.attributes);
    }
    ib::fuzz::require(std::ranges::equal(rewritten.bytes(), sector.bytes()), "an entry written back as read changes no byte");
    return 0;
}
