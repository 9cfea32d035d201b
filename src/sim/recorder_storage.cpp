// The recorder's storage commands. See recorder_storage.h.
#include "sim/recorder_storage.h"

#include <algorithm>
#include <array>

#include "device/sector.h"
#include "device/vendor_command.h"

namespace ib::sim {
namespace {

struct SectorSpan {
    std::uint64_t first = 0;
    std::uint64_t end = 0;  // one past the last
    bool contains(std::uint64_t s) const { return s >= first && s < end; }
};

// What FormatUserArea must leave alone: the index table sector, and on the
// shared layout the boot images listed in entries 0..9.
std::vector<SectorSpan> protectedSectors(std::uint8_t type, std::uint32_t tableSector,
                                         const IndexTableView& table) {
    std::vector<SectorSpan> spans{{tableSector, std::uint64_t{tableSector} + 1}};
    if (type == kMoviNand) return spans;
    for (std::size_t k = 0; k < kFirstSharedPartitionEntry; ++k) {
        const IndexTableEntry& e = table.entries[k];
        if (e.listsSectors()) spans.push_back({e.start, std::uint64_t{e.start} + e.count});
    }
    return spans;
}

}  // namespace

CommandOutcome RecorderStorage::select(std::uint8_t type, std::uint8_t area, std::span<std::uint8_t> reply) {
    if (type >= kStorageTypeCount || area >= kAreasPerType)
        return CommandOutcome::refused(refusal::kInvalidFieldInCdb);
    const AreaId id{type, area};
    m_state.selection = id;
    putLittleEndian32(reply, 0, m_state.sizeOf(id));
    return CommandOutcome::done(4);
}

CommandOutcome RecorderStorage::checkTransfer(std::uint32_t first, std::uint32_t count) const {
    if (!m_state.selection) return CommandOutcome::refused(refusal::kSequenceError);
    if (std::uint64_t{first} + count > m_state.sizeOf(*m_state.selection))
        return CommandOutcome::refused(refusal::kLbaOutOfRange);
    return CommandOutcome::done();
}

CommandOutcome RecorderStorage::read(std::uint32_t first, std::uint32_t count, std::span<std::uint8_t> out) {
    if (auto check = checkTransfer(first, count); check.refusal) return check;
    const std::size_t bytes = std::size_t{count} * kSectorSize;
    if (!m_backing.area(*m_state.selection).read(std::uint64_t{first} * kSectorSize, out.first(bytes)))
        return CommandOutcome::refused(refusal::kReadError);
    return CommandOutcome::done(bytes);
}

CommandOutcome RecorderStorage::write(std::uint32_t first, std::uint32_t count,
                                      std::span<const std::uint8_t> bytes) {
    if (auto check = checkTransfer(first, count); check.refusal) return check;
    const std::size_t length = std::size_t{count} * kSectorSize;
    if (!m_backing.area(*m_state.selection).write(std::uint64_t{first} * kSectorSize, bytes.first(length)))
        return CommandOutcome::refused(refusal::kWriteError);
    return CommandOutcome::done();
}

CommandOutcome RecorderStorage::setBootSize(std::uint32_t sectors) {
    if (sectors == 0) return CommandOutcome::refused(refusal::kInvalidFieldInCdb);
    const AreaId boot{m_state.selection ? m_state.selection->type : kMoviNand, kBootAreaIndex};
    // Sectors cut off now must not come back if the area grows again.
    if (sectors < m_state.sizeOf(boot) &&
        !m_backing.area(boot).discardFrom(std::uint64_t{sectors} * kSectorSize))
        return CommandOutcome::refused(refusal::kWriteError);
    m_state.areaSectors[boot.type][boot.area] = sectors;
    ++m_state.counters.bootSizeChanges;
    return CommandOutcome::done();
}

CommandOutcome RecorderStorage::formatUserArea() {
    if (!m_state.selection) return CommandOutcome::refused(refusal::kSequenceError);
    const AreaId userArea{m_state.selection->type, kUserAreaIndex};
    if (m_state.indexTableSector < m_state.sizeOf(userArea)) {
        std::array<std::uint8_t, kSectorSize> sector{};
        if (!m_backing.area(userArea).read(std::uint64_t{m_state.indexTableSector} * kSectorSize, sector))
            return CommandOutcome::refused(refusal::kReadError);
        const IndexTableView table = decodeIndexTable(sector);
        if (table.hasBothMagics() && !zeroPartitionStarts(userArea, table))
            return CommandOutcome::refused(refusal::kWriteError);
    }
    ++m_state.counters.userAreaFormats;
    return CommandOutcome::done();
}

bool RecorderStorage::zeroPartitionStarts(AreaId userArea, const IndexTableView& table) {
    const auto keep = protectedSectors(userArea.type, m_state.indexTableSector, table);
    const std::size_t firstEntry = userArea.type == kMoviNand ? 0 : kFirstSharedPartitionEntry;
    const std::uint64_t areaEnd = m_state.sizeOf(userArea);
    AreaStore& store = m_backing.area(userArea);
    bool erased = true;
    for (std::size_t k = firstEntry; k < kIndexTableEntries; ++k) {
        const IndexTableEntry& e = table.entries[k];
        if (!e.listsSectors()) continue;
        const std::uint64_t end =
            std::min(std::uint64_t{e.start} + std::min(e.count, kFormattedSectorsPerPartition), areaEnd);
        for (std::uint64_t s = e.start; s < end; ++s) {
            if (std::none_of(keep.begin(), keep.end(), [s](const SectorSpan& p) { return p.contains(s); }))
                erased = store.zero(s * kSectorSize, kSectorSize) && erased;
        }
    }
    return erased;
}

CommandOutcome RecorderStorage::lowLevelFormat() {
    bool erased = true;
    for (std::uint8_t type = 0; type < kStorageTypeCount; ++type) {
        if (m_state.selection && m_state.selection->type != type) continue;
        erased = m_backing.area({type, kBootAreaIndex}).discardFrom(0) && erased;
    }
    if (!erased) return CommandOutcome::refused(refusal::kWriteError);
    ++m_state.counters.lowLevelFormats;
    return CommandOutcome::done();
}

}  // namespace ib::sim
