// The recorder's storage commands, as the updater carries them out:
// SelectStorage, ReadSectors, WriteSectors, SetBootSize, FormatUserArea and
// LowLevelFormat on the areas of the five storage types.
//
// Effects beyond the plain reads and writes:
// - "Selected last" means since the updater started: a restart, a power cycle
//   or EndSession forget the selection, and ReadSectors/WriteSectors then fail.
// - SetBootSize resizes the boot area (area 1) of the storage type selected
//   last, or of moviNAND (type 0) when nothing is selected. Sectors cut off by
//   shrinking are gone: growing again shows them as zeros. A size of 0 is refused.
// - FormatUserArea needs a selection. It reads the index table sector at
//   `index_table_sector` of area 0 of the selected type; only when both magic
//   words are present does it zero the first 8 sectors (fewer for smaller
//   partitions, never past the area's end) of each partition the table lists:
//   entries 10..30 on eSD, eMMC, SIF and NAND (boot images and partitions share
//   area 0), entries 0..30 on moviNAND (its user area has a table of its own).
//   It never touches the index table sector itself nor, on the shared layout,
//   the boot images of entries 0..9, even when a partition entry overlaps them.
// - LowLevelFormat erases the boot area (area 1) of the selected type, or of
//   every type when nothing is selected: all its bytes read 0 again.
#pragma once

#include <cstdint>
#include <span>

#include "sim/index_table_view.h"
#include "sim/recorder_backing.h"
#include "sim/recorder_state.h"
#include "sim/scsi_target.h"

namespace ib::sim {

inline constexpr std::uint32_t kFormattedSectorsPerPartition = 8;

class RecorderStorage {
public:
    RecorderStorage(RecorderState& state, RecorderBacking& backing) : m_state(state), m_backing(backing) {}

    // Selects an area and writes its size in sectors, little-endian, into `reply` (4 bytes).
    CommandOutcome select(std::uint8_t type, std::uint8_t area, std::span<std::uint8_t> reply);
    CommandOutcome read(std::uint32_t first, std::uint32_t count, std::span<std::uint8_t> out);
    CommandOutcome write(std::uint32_t first, std::uint32_t count, std::span<const std::uint8_t> bytes);
    CommandOutcome setBootSize(std::uint32_t sectors);
    CommandOutcome formatUserArea();
    CommandOutcome lowLevelFormat();

private:
    // The selected area when [first, first + count) lies inside it, or why not.
    CommandOutcome checkTransfer(std::uint32_t first, std::uint32_t count) const;
    // False when the store failed to erase a sector.
    bool zeroPartitionStarts(AreaId userArea, const IndexTableView& table);

    RecorderState& m_state;
    RecorderBacking& m_backing;
};

}  // namespace ib::sim
