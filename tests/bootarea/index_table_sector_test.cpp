// The index table sector as a byte-exact format: magic words, little-endian
// entry words, and a read-modify-write that leaves every other byte alone.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <stdexcept>

#include "bootarea/index_table_sector.h"

namespace ib {
namespace {

// A sector as a device might hold it: every byte different from its neighbours.
IndexTableSector patternedSector() {
    std::array<std::uint8_t, 512> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return IndexTableSector::fromBytes(bytes);
}

// Index of the first byte that differs outside [from, to), or -1.
int firstChangeOutside(const IndexTableSector& before, const IndexTableSector& after, std::size_t from,
                       std::size_t to) {
    for (std::size_t i = 0; i < 512; ++i)
        if ((i < from || i >= to) && before.bytes()[i] != after.bytes()[i]) return static_cast<int>(i);
    return -1;
}

TEST(IndexTableSector, FreshSectorHoldsOnlyTheTwoMagicWords) {
    const IndexTableSector sector = IndexTableSector::fresh();
    const auto bytes = sector.bytes();
    const std::uint8_t magic[4] = {0x40, 0x08, 0x55, 0xAA};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(bytes[i], magic[i]) << "byte " << i;
        EXPECT_EQ(bytes[508 + i], magic[i]) << "byte " << 508 + i;
    }
    for (std::size_t i = 4; i < 508; ++i) ASSERT_EQ(bytes[i], 0) << "byte " << i;
    EXPECT_TRUE(sector.hasMagic());
    EXPECT_FALSE(sector.isBurnt()) << "entry 0 has no sectors yet";
    EXPECT_EQ(sector.entry(30).reserved, kIndexTableMagic) << "the second magic is entry 30's last word";

    const IndexTableSector ff = IndexTableSector::filledWith(0xFF);
    EXPECT_TRUE(ff.hasMagic());
    EXPECT_EQ(ff.entry(3).startSector, kFreeEntryStart);
}

TEST(IndexTableSector, EntryWritesChangeOnlyStartCountAndAttributes) {
    const IndexTableSector before = patternedSector();
    IndexTableSector sector = before;
    sector.setEntry(2, 0x00756000, 0x2000, 0x80000001);
    const auto b = sector.bytes();
    const std::uint8_t expected[12] = {0x00, 0x60, 0x75, 0x00, 0x00, 0x20,
                                       0x00, 0x00, 0x01, 0x00, 0x00, 0x80};
    for (std::size_t i = 0; i < 12; ++i) EXPECT_EQ(b[48 + i], expected[i]) << "byte " << 48 + i;
    EXPECT_EQ(firstChangeOutside(before, sector, 48, 60), -1);
    EXPECT_EQ(sector.entry(2).reserved, before.entry(2).reserved);

    // Entry 30's fourth word is the second magic: writing the entry must not disturb it.
    IndexTableSector last = IndexTableSector::fresh();
    last.setEntry(30, 7, 8, 3);
    EXPECT_TRUE(last.hasMagic());
    EXPECT_EQ(last.entry(30).startSector, 7u);

    sector.setStorageMarker(1);
    sector.setUserAreaCapacity(7700480);
    EXPECT_EQ(sector.bytes()[4], 1);
    EXPECT_EQ(sector.bytes()[12], 0x00);
    EXPECT_EQ(sector.bytes()[13], 0x80);
    EXPECT_EQ(sector.bytes()[14], 0x75);
    EXPECT_EQ(sector.userAreaCapacity(), 7700480u);
    EXPECT_EQ(firstChangeOutside(before, sector, 4, 60), -1)
        << "only the marker, capacity and entry 2 changed";

    EXPECT_THROW(sector.setEntry(31, 0, 0, 0), std::out_of_range);
    EXPECT_THROW((void)sector.entry(31), std::out_of_range);
}

TEST(IndexTableSector, BurntMeansBothMagicWordsAndAFirstImage) {
    IndexTableSector sector = IndexTableSector::fresh();
    sector.setEntry(0, 1, 0, kFirmwareAttributes);
    EXPECT_FALSE(sector.isBurnt());
    sector.setEntry(0, 1, 96, kFirmwareAttributes);
    EXPECT_TRUE(sector.isBurnt());

    sector.bytes()[511] = 0x00;
    EXPECT_FALSE(sector.hasMagic()) << "second magic broken";
    EXPECT_FALSE(sector.isBurnt());
    sector.stampMagic();
    EXPECT_TRUE(sector.isBurnt());
    sector.bytes()[0] = 0x41;
    EXPECT_FALSE(sector.isBurnt()) << "first magic broken";
}

}  // namespace
}  // namespace ib
