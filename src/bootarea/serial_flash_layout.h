// Where the serial-flash layout puts the firmware set, for the serial-flash
// burn and the SD image alike: boot code (sets of 1 or 3) from sector 0, the
// last two members (bootloader and firmware) behind the index table sector in
// entries 0 and 1, back to back.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "bootarea/firmware_set.h"
#include "bootarea/index_table_sector.h"
#include "operation/operation_context.h"
#include "operation/sector_sink.h"

namespace ib {

struct SerialFlashLayout {
    bool hasBootCode = false;    // member 0 is boot code, written from sector 0
    bool bootCodeOnly = false;   // the set is the boot code alone: no index table
    // Beside a bootloader and firmware the boot code must end before the index
    // table sector, which is written behind it.
    bool bootCodeReachesTable = false;
    // With a bootloader and firmware: the members of entries 0 and 1 and their start sectors.
    std::array<std::size_t, 2> entryMembers{};
    std::array<std::uint32_t, 2> entryStarts{};
};

// The layout of a set of 1 to 10 members with the index table at `indexTableSector`.
SerialFlashLayout serialFlashLayout(std::span<const FirmwareMember> members, std::uint32_t indexTableSector);

// Fills entries 0 and 1 with the bootloader and firmware; the not-moviNAND
// attribute bit is set unless `moviNand`.
void setSerialFlashEntries(IndexTableSector& table, const SerialFlashLayout& layout,
                           std::span<const FirmwareMember> members, bool moviNand);

// Writes the bootloader and firmware to their entries' sectors, showing on the
// status line which one is written and how far both are. The member whose
// write failed, or null when both were written.
const FirmwareMember* writeEntryImages(const OperationContext& ctx, SectorSink& sink, const SerialFlashLayout& layout,
                                       std::span<FirmwareMember> members, std::vector<std::uint8_t>& buffer,
                                       bool recordDigests);

}  // namespace ib
