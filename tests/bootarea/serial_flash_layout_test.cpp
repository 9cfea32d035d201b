// The serial-flash layout the burn and the SD image share: which member goes
// where for every set size, and when boot code would reach the index table.
#include <gtest/gtest.h>

#include <vector>

#include "bootarea/serial_flash_layout.h"

namespace ib {
namespace {

std::vector<FirmwareMember> membersOfSectors(std::vector<std::uint32_t> sectors) {
    std::vector<FirmwareMember> members(sectors.size());
    for (std::size_t i = 0; i < sectors.size(); ++i) members[i].imageLength = std::uint64_t{sectors[i]} * 512;
    return members;
}

TEST(SerialFlashLayout, BootCodeComesFirstAndTheLastTwoMembersFollowTheIndexTable) {
    struct Case {
        std::vector<std::uint32_t> sectors;
        std::uint32_t tableSector;
        bool bootCode, bootCodeOnly, reachesTable;
        std::array<std::size_t, 2> entryMembers;
        std::array<std::uint32_t, 2> entryStarts;
    };
    const Case cases[] = {
        {{4}, 2, true, true, false, {}, {}},  // alone, boot code may pass the table: it is never written
        {{3, 5}, 8, false, false, false, {0, 1}, {9, 12}},
        {{8, 3, 5}, 8, true, false, false, {1, 2}, {9, 12}},
        {{9, 3, 5}, 8, true, false, true, {1, 2}, {9, 12}},
        {{1, 1, 1, 3, 5}, 20, false, false, false, {3, 4}, {21, 24}},
    };
    for (const Case& c : cases) {
        const auto members = membersOfSectors(c.sectors);
        const SerialFlashLayout layout = serialFlashLayout(members, c.tableSector);
        const auto story = ::testing::Message() << c.sectors.size() << " members, table at " << c.tableSector;
        EXPECT_EQ(layout.hasBootCode, c.bootCode) << story;
        EXPECT_EQ(layout.bootCodeOnly, c.bootCodeOnly) << story;
        EXPECT_EQ(layout.bootCodeReachesTable, c.reachesTable) << story;
        if (c.sectors.size() < 2) continue;
        EXPECT_EQ(layout.entryMembers, c.entryMembers) << story;
        EXPECT_EQ(layout.entryStarts, c.entryStarts) << story;
    }
}

TEST(SerialFlashLayout, EntriesCarryTheNotMoviNandBitOnlyOffMoviNand) {
    const auto members = membersOfSectors({3, 5});
    const SerialFlashLayout layout = serialFlashLayout(members, 8);
    for (const bool moviNand : {true, false}) {
        IndexTableSector table;
        setSerialFlashEntries(table, layout, members, moviNand);
        const std::uint32_t attributes = moviNand ? kFirmwareAttributes : kFirmwareAttributes | kNotMoviNandAttributeBit;
        EXPECT_EQ(table.entry(0).startSector, 9u);
        EXPECT_EQ(table.entry(0).sectorCount, 3u);
        EXPECT_EQ(table.entry(1).startSector, 12u);
        EXPECT_EQ(table.entry(1).sectorCount, 5u);
        EXPECT_EQ(table.entry(0).attributes, attributes);
        EXPECT_EQ(table.entry(1).attributes, attributes);
    }
}

}  // namespace
}  // namespace ib
