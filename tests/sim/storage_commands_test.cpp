// The updater's storage commands through the host's UsbScsiCmd: selection and
// area sizes, transfers inside and outside the selected area, boot-area
// resizing, the two formats, EndSession and the register file.
#include <gtest/gtest.h>

#include "device/usb_scsi_cmd.h"
#include "sim/index_table_view.h"
#include "sim/simulator.h"
#include "sim_test_support.h"

namespace ib::sim::test {
namespace {

struct StorageCommands : ::testing::Test {
    ManualClock clock;
    std::unique_ptr<Simulator> sim;
    std::unique_ptr<UsbScsiCmd> cmd;

    void SetUp() override { startIn(RecorderMode::Updater); }
    void startIn(RecorderMode mode, RecorderState state = {}) {
        state.mode = mode;
        cmd.reset();
        sim = Simulator::inMemory(state, clock);
        cmd = std::make_unique<UsbScsiCmd>(sim->volumes());
        ASSERT_EQ(cmd->Open(), 1u);
    }
    std::uint32_t select(std::int32_t type, std::uint8_t area) {
        std::uint32_t size = 0;
        EXPECT_EQ(cmd->SelectStorage(type, area, size), 1u);
        return size;
    }
    bool isZero(AreaId id, std::uint64_t first, std::uint64_t count) {
        const auto bytes = sim->readArea(id, first, count);
        return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; });
    }
};

// An index table sector with both magics and the given entries {k, start, count}.
std::vector<std::uint8_t> indexTable(std::initializer_list<std::array<std::uint32_t, 3>> entries) {
    std::vector<std::uint8_t> sector(kSectorSize);
    putLittleEndian32(sector, 0, kIndexTableMagic);
    putLittleEndian32(sector, 508, kIndexTableMagic);
    for (const auto& [k, start, count] : entries) {
        putLittleEndian32(sector, 16 + 16 * k, start);
        putLittleEndian32(sector, 20 + 16 * k, count);
    }
    return sector;
}

TEST_F(StorageCommands, BootRomRefusesEveryStorageCommand) {
    startIn(RecorderMode::BootRom);
    std::uint32_t size = 0;
    std::vector<std::uint8_t> sector(kSectorSize);
    EXPECT_EQ(cmd->SelectStorage(0, 0, size), 0u);
    EXPECT_EQ(cmd->ReadSectors(0, 1, sector), 0u);
    EXPECT_EQ(cmd->WriteSectors(0, 1, sector), 0u);
    EXPECT_EQ(cmd->SetBootSize(8192), 0u);
    EXPECT_EQ(cmd->FormatUserArea(), 0u);
    EXPECT_EQ(cmd->LowLevelFormat(), 0u);
    EXPECT_EQ(cmd->EndSession(), 0u);
    EXPECT_EQ(cmd->lastOutcome().sense[12], 0x20);
    // Registers work in both modes.
    EXPECT_EQ(cmd->WriteRegister(0x80008C00, 0x5A), 1u);
    std::uint8_t value = 0;
    EXPECT_EQ(cmd->ReadRegister(0x80008C00, value), 1u);
    EXPECT_EQ(value, 0x5A);
    EXPECT_EQ(cmd->ReadRegister(0x1234, value), 1u);
    EXPECT_EQ(value, 0);
}

TEST_F(StorageCommands, SelectStorageRepliesTheSizeLittleEndian) {
    RecorderState state;
    state.areaSectors[2][1] = 65536;
    startIn(RecorderMode::Updater, state);
    EXPECT_EQ(select(2, 1), 65536u);
    EXPECT_EQ(select(0, 0), kDefaultUserSectors);
    EXPECT_EQ(select(3, 0), kDefaultSerialFlashSectors);
    EXPECT_EQ(select(4, 1), kDefaultBootSectors);
    std::uint32_t size = 0;
    EXPECT_EQ(cmd->SelectStorage(5, 0, size), 0u);
    EXPECT_EQ(cmd->SelectStorage(0, 2, size), 0u);
    EXPECT_EQ(sim->state().selection, (AreaId{4, 1}));  // refused selections change nothing
}

TEST_F(StorageCommands, TransfersStayInsideTheSelectedArea) {
    std::vector<std::uint8_t> buffer(8 * kSectorSize);
    EXPECT_EQ(cmd->ReadSectors(0, 1, buffer), 0u);  // nothing selected yet
    EXPECT_EQ(cmd->WriteSectors(0, 1, buffer), 0u);

    const std::uint32_t size = select(1, 1);
    const auto data = pattern(8, 4);
    ASSERT_EQ(cmd->WriteSectors(size - 8, 8, data), 1u);
    std::vector<std::uint8_t> back(8 * kSectorSize);
    ASSERT_EQ(cmd->ReadSectors(size - 8, 8, back), 1u);
    EXPECT_EQ(back, data);
    EXPECT_EQ(sim->readArea({1, 1}, size - 8, 8), data);
    EXPECT_TRUE(isZero({1, 0}, size - 8, 8));  // the user area of the same type is separate

    EXPECT_EQ(cmd->WriteSectors(size - 7, 8, data), 0u);
    EXPECT_EQ(cmd->ReadSectors(size - 7, 8, back), 0u);
    EXPECT_EQ(cmd->lastOutcome().sense[12], 0x21);
    EXPECT_EQ(cmd->ReadSectors(0xFFFFFFFF, 1, back), 0u);  // no wrap-around at 2^32

    // A count of 0 is a valid, empty transfer, even at the very end.
    EXPECT_EQ(cmd->ReadSectors(size, 0, back), 1u);
    EXPECT_EQ(sim->commandLog().back(), "fa556607000040000000000000000000 none 0 ok");
}

TEST_F(StorageCommands, SetBootSizeResizesTheBootAreaOfTheTypeSelectedLast) {
    ASSERT_EQ(cmd->SetBootSize(8192), 1u);  // nothing selected: moviNAND
    EXPECT_EQ(sim->state().areaSectors[0][1], 8192u);

    select(2, 1);
    const auto data = pattern(2, 8);
    ASSERT_EQ(cmd->WriteSectors(100, 2, data), 1u);
    select(2, 0);
    ASSERT_EQ(cmd->SetBootSize(101), 1u);
    EXPECT_EQ(sim->state().areaSectors[2][1], 101u);
    EXPECT_EQ(sim->state().areaSectors[2][0], kDefaultUserSectors);
    // What was cut off does not come back when the area grows again.
    ASSERT_EQ(cmd->SetBootSize(4096), 1u);
    EXPECT_EQ(select(2, 1), 4096u);
    EXPECT_EQ(sim->readArea({2, 1}, 100, 1),
              std::vector<std::uint8_t>(data.begin(), data.begin() + kSectorSize));
    EXPECT_TRUE(isZero({2, 1}, 101, 1));
    EXPECT_EQ(cmd->SetBootSize(0), 0u);
    EXPECT_EQ(sim->state().counters.bootSizeChanges, 3u);
}

TEST_F(StorageCommands, FormatUserAreaTouchesOnlyTheListedPartitionsOfTheSharedLayout) {
    const AreaId area{2, 0};
    const auto filled = pattern(64, 1);
    ASSERT_TRUE(sim->writeArea(area, 0, filled));
    ASSERT_TRUE(sim->writeArea(area, 1000, filled));
    // Entry 0 a boot image at 1..20; entry 10 a partition at 30 (4 sectors); entry 11 at
    // 1000 (100 sectors); entry 12 wrongly overlaps the table and the boot image; entry 13 is unused.
    const auto table =
        indexTable({{0, 1, 20}, {10, 30, 4}, {11, 1000, 100}, {12, 0, 40}, {13, 0xFFFFFFFF, 5}});
    ASSERT_TRUE(sim->writeArea(area, 0, table));

    select(2, 0);
    ASSERT_EQ(cmd->FormatUserArea(), 1u);
    EXPECT_EQ(sim->readArea(area, 0, 1), table);
    EXPECT_EQ(sim->readArea(area, 1, 20),
              std::vector<std::uint8_t>(filled.begin() + kSectorSize, filled.begin() + 21 * kSectorSize));
    EXPECT_FALSE(isZero(area, 29, 1));
    EXPECT_TRUE(isZero(area, 30, 4));
    EXPECT_FALSE(isZero(area, 34, 1));
    EXPECT_TRUE(isZero(area, 1000, 8));
    EXPECT_FALSE(isZero(area, 1008, 1));
    EXPECT_EQ(sim->state().counters.userAreaFormats, 1u);
}

TEST_F(StorageCommands, FormatUserAreaOnMoviNandUsesEveryEntryAndTheConfiguredTableSector) {
    RecorderState state;
    state.indexTableSector = 5;
    startIn(RecorderMode::Updater, state);
    const AreaId area{0, 0};
    ASSERT_TRUE(sim->writeArea(area, 0, pattern(64, 2)));
    ASSERT_TRUE(sim->writeArea(area, 5, indexTable({{0, 8, 3}, {1, 40, 16}})));
    select(0, 1);  // the boot area selected: FormatUserArea still reads area 0 of that type
    ASSERT_EQ(cmd->FormatUserArea(), 1u);
    EXPECT_FALSE(isZero(area, 0, 5));
    EXPECT_TRUE(isZero(area, 8, 3));
    EXPECT_FALSE(isZero(area, 11, 1));
    EXPECT_TRUE(isZero(area, 40, 8));
    EXPECT_FALSE(isZero(area, 48, 1));
    EXPECT_FALSE(isZero(area, 5, 1));
}

TEST_F(StorageCommands, FormatUserAreaWithoutMagicsOrSelectionChangesNothing) {
    EXPECT_EQ(cmd->FormatUserArea(), 0u);  // no storage selected since the updater started
    const AreaId area{1, 0};
    auto table = indexTable({{10, 30, 4}});
    table[508] = 0;  // the second magic is broken
    ASSERT_TRUE(sim->writeArea(area, 0, table));
    ASSERT_TRUE(sim->writeArea(area, 30, pattern(4, 3)));
    select(1, 0);
    ASSERT_EQ(cmd->FormatUserArea(), 1u);
    EXPECT_EQ(sim->readArea(area, 30, 4), pattern(4, 3));
}

TEST_F(StorageCommands, LowLevelFormatErasesTheSelectedBootAreaOrAllOfThem) {
    for (std::uint8_t t = 0; t < kStorageTypeCount; ++t) {
        ASSERT_TRUE(sim->writeArea({t, 1}, 7, pattern(3, t)));
        ASSERT_TRUE(sim->writeArea({t, 0}, 7, pattern(3, t)));
    }
    select(3, 0);
    ASSERT_EQ(cmd->LowLevelFormat(), 1u);
    EXPECT_TRUE(sim->sectorsWithData({3, 1}).empty());
    EXPECT_EQ(sim->sectorsWithData({3, 0}), (std::vector<SectorRange>{{7, 3}}));
    EXPECT_EQ(sim->sectorsWithData({2, 1}), (std::vector<SectorRange>{{7, 3}}));

    ASSERT_EQ(cmd->EndSession(), 1u);  // forgets the selection
    ASSERT_EQ(cmd->LowLevelFormat(), 1u);
    for (std::uint8_t t = 0; t < kStorageTypeCount; ++t) {
        EXPECT_TRUE(sim->sectorsWithData({t, 1}).empty()) << "type " << int(t);
        EXPECT_FALSE(sim->sectorsWithData({t, 0}).empty()) << "type " << int(t);
    }
    EXPECT_EQ(sim->state().counters.lowLevelFormats, 2u);
    EXPECT_EQ(sim->state().counters.sessions, 1u);
    std::vector<std::uint8_t> sector(kSectorSize);
    EXPECT_EQ(cmd->ReadSectors(0, 1, sector), 0u);  // EndSession cleared the selection
}

}  // namespace
}  // namespace ib::sim::test
