// Placing partition plans into the index table sector: the worked example byte
// for byte in both layouts, the content step's order and veto, and every plan
// that must be refused before any entry or content is written.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "support/temp_folder.h"
#include "userarea/partition_plan_reader.h"
#include "userarea/plan_placement.h"
#include "userarea/plan_validation.h"

namespace ib {
namespace {

using Call = std::tuple<std::size_t, std::uint32_t, std::uint32_t>;  // record index, entry, start

// Records what the content step saw; `stopAt` makes it refuse that call.
struct ContentRecorder {
    explicit ContentRecorder(const PartitionPlan& placed) : plan(&placed) {}
    const PartitionPlan* plan;
    std::vector<Call> calls;
    std::size_t stopAt = SIZE_MAX;
    ContentStep step() {
        return [this](const PartitionRecord& record, std::uint32_t entry, std::uint32_t start) {
            calls.emplace_back(static_cast<std::size_t>(&record - plan->records.data()), entry, start);
            return calls.size() - 1 != stopAt;
        };
    }
};

std::string firstDifference(std::span<const std::uint8_t> actual, std::span<const std::uint8_t> expected) {
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (actual[i] != expected[i])
            return "byte " + std::to_string(i) + ": " + std::to_string(actual[i]) +
                   " != " + std::to_string(expected[i]);
    return "";
}

PartitionPlan planFromFile(const std::string& ini, PlanLayout layout) {
    test::TempFolder folder;
    return readPartitionPlan(folder.write("DiskInfo.ini", ini), folder.path(), layout);
}

PartitionRecord sized(std::uint32_t size, std::uint32_t unit = 0,
                      PartitionKind kind = PartitionKind::NoContent) {
    PartitionRecord record;
    record.sizeSectors = size;
    record.unitNumber = unit;
    record.kind = kind;
    return record;
}

PartitionRecord rest(std::uint32_t unit = 0) {
    PartitionRecord record = sized(kRestOfCapacity, unit);
    record.takesRest = true;
    return record;
}

PartitionPlan plan(PlanLayout layout, std::vector<PartitionRecord> records, std::uint32_t firstSector = 8) {
    PartitionPlan p;
    p.layout = layout;
    p.firstSector = firstSector;
    p.fixedTotal = firstSector;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].takesRest)
            p.restIndex = static_cast<std::uint32_t>(i);
        else
            p.fixedTotal += records[i].sizeSectors;
    }
    p.records = std::move(records);
    return p;
}

constexpr const char* kWorkedExample =
    "[User_Area_Partition]\nAlignmentEnable=1\nAlignmentSize=8192\nPartitionNumber=2\n"
    "[Part_0]\nSize=-1\nType=FAT\nUnitNumber=0\n"
    "[Part_1]\nSize=1000\nType=RAW\nUnitNumber=1\n";

TEST(PlanPlacement, WorkedExampleOnMoviNandGivesTheExactSector) {
    PartitionPlan p = planFromFile(kWorkedExample, PlanLayout::MoviNand);
    resolveRestPartition(p, 7700480);
    IndexTableSector sector = IndexTableSector::fresh();
    sector.setUserAreaCapacity(7700480);
    ContentRecorder content(p);

    ASSERT_TRUE(placePlan(p, sector, 0, content.step()));

    std::array<std::uint8_t, 512> expected{};
    const std::uint8_t head[48] = {0x40, 0x08, 0x55, 0xAA, 0,    0,    0,    0,    0,    0,    0,    0,
                                   0x00, 0x80, 0x75, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x40, 0x75, 0x00,
                                   0x03, 0,    0,    0,    0,    0,    0,    0,    0x00, 0x60, 0x75, 0x00,
                                   0x00, 0x20, 0x00, 0x00, 0x01, 0,    0,    0,    0,    0,    0,    0};
    std::copy(std::begin(head), std::end(head), expected.begin());
    const std::uint8_t tail[4] = {0x40, 0x08, 0x55, 0xAA};
    std::copy(std::begin(tail), std::end(tail), expected.begin() + 508);
    EXPECT_EQ(firstDifference(sector.bytes(), expected), "");
    EXPECT_EQ(content.calls, (std::vector<Call>{{0, 0, 8192}, {1, 1, 7692288}}));
}

TEST(PlanPlacement, WorkedExampleInSharedLayoutLeavesBootEntriesAndOtherBytes) {
    PartitionPlan p = planFromFile(
        "[User_Area_Partition]\nAlignmentEnable=1\nAlignmentSize=2048\nSDKeepCodeSize=20000\nPartitionNumber="
        "2\n"
        "[Part_0]\nSize=-1\nType=FAT\nUnitNumber=0\n[Part_1]\nSize=1000\nType=RAW\nUnitNumber=1\n",
        PlanLayout::Shared);
    resolveRestPartition(p, 7700480);
    std::array<std::uint8_t, 512> device{};
    for (std::size_t i = 0; i < device.size(); ++i) device[i] = static_cast<std::uint8_t>(0xA0 ^ i);
    IndexTableSector sector = IndexTableSector::fromBytes(device);
    sector.stampMagic();
    sector.setEntry(0, 1, 96, 0x80000001);
    sector.setEntry(1, 97, 4000, 0x80000001);
    for (std::size_t k = 2; k < kBootAreaEntryCount; ++k) sector.setEntry(k, kFreeEntryStart, 0, 0);
    const IndexTableSector before = sector;

    ASSERT_TRUE(placePlan(p, sector, 0)) << describePlanVerdict(checkPlan(p, before, 0));

    EXPECT_EQ(sector.entry(10).startSector, 20480u);
    EXPECT_EQ(sector.entry(10).sectorCount, 7677952u);
    EXPECT_EQ(sector.entry(10).attributes, 3u);
    EXPECT_EQ(sector.entry(11).startSector, 20480u + 7677952u);
    EXPECT_EQ(sector.entry(11).sectorCount, 2048u);
    EXPECT_EQ(sector.entry(11).attributes, 1u);
    for (std::size_t i = 0; i < 512; ++i) {
        const bool entryWords =
            (i >= 176 && i < 188) || (i >= 192 && i < 204);  // entries 10 and 11, words 0-2
        if (!entryWords) {
            ASSERT_EQ(sector.bytes()[i], before.bytes()[i]) << "byte " << i;
        }
    }
}

TEST(PlanPlacement, DuplicateUnitsLetTheLaterRecordWinAndNoStepIsNeeded) {
    PartitionPlan p = plan(PlanLayout::MoviNand,
                           {sized(10, 2, PartitionKind::Fat), sized(20, 2, PartitionKind::Raw), sized(5, 0)});
    IndexTableSector sector = IndexTableSector::fresh();
    ASSERT_TRUE(placePlan(p, sector, 0));
    EXPECT_EQ(sector.entry(2).startSector, 18u);
    EXPECT_EQ(sector.entry(2).sectorCount, 20u);
    EXPECT_EQ(sector.entry(2).attributes, 1u);
    EXPECT_EQ(sector.entry(0).startSector, 38u) << "the running start grew by both sizes";

    // PartitionNumber 0: nothing placed, the sector untouched.
    const IndexTableSector untouched = sector;
    EXPECT_TRUE(placePlan(plan(PlanLayout::Shared, {}), sector, 0));
    EXPECT_EQ(firstDifference(sector.bytes(), untouched.bytes()), "");
}

TEST(PlanPlacement, ContentStepRunsAfterEachEntryAndCanEndThePlacement) {
    PartitionPlan p = plan(PlanLayout::MoviNand, {sized(10, 0), sized(20, 1), sized(30, 2)});
    IndexTableSector sector = IndexTableSector::fresh();
    ContentRecorder content(p);
    content.stopAt = 1;
    IndexTableSector seen;
    auto inner = content.step();
    const ContentStep step = [&](const PartitionRecord& record, std::uint32_t entry, std::uint32_t start) {
        seen = sector;  // the entry must already be filled when the step runs
        return inner(record, entry, start);
    };
    EXPECT_FALSE(placePlan(p, sector, 0, step));
    EXPECT_EQ(content.calls, (std::vector<Call>{{0, 0, 8}, {1, 1, 18}}));
    EXPECT_EQ(seen.entry(1).sectorCount, 20u);
    EXPECT_EQ(sector.entry(2).sectorCount, 0u) << "no record is placed after the step says stop";
}

TEST(PlanPlacement, SdImageWithoutCapacityKeepsALastRestRecordOpenEnded) {
    PartitionPlan last = plan(PlanLayout::Shared, {sized(64, 0), rest(1)}, 4096);
    IndexTableSector sector = IndexTableSector::filledWith(0xFF);
    sector.setEntry(0, 1, 100, 0x80000001);
    ASSERT_TRUE(placePlan(last, sector, 0));
    EXPECT_EQ(sector.entry(11).startSector, 4160u);
    EXPECT_EQ(sector.entry(11).sectorCount, 0xFFFFFFFFu);

    PartitionPlan notLast = plan(PlanLayout::Shared, {rest(1), sized(64, 0)}, 4096);
    EXPECT_EQ(checkPlan(notLast, sector, 0).fault, PlanFault::RestNotLast);
}

struct RefusedCase {
    const char* story;
    PartitionPlan plan;
    std::uint32_t indexTableSector;
    PlanFault fault;
    std::size_t record;
};

PartitionPlan withCapacity(PartitionPlan p, std::uint32_t capacity) {
    resolveRestPartition(p, capacity);
    return p;
}

PartitionPlan aligned(PartitionPlan p, std::uint32_t unit) {
    p.alignmentEnabled = true;
    p.alignmentSize = unit;
    return p;
}

PartitionPlan keeping(PartitionPlan p, std::uint32_t keepCodeSectors) {
    p.keepCodeSectors = keepCodeSectors;
    return p;
}

std::vector<PartitionRecord> thirtyOneRecordsEndingInRest() {
    std::vector<PartitionRecord> records(30, sized(1, 0));
    records.push_back(rest(1));
    return records;
}

TEST(PlanPlacement, PlansThatWouldCorruptTheRecorderAreRefusedBeforeAnythingIsWritten) {
    const RefusedCase cases[] = {
        {"alignment unit 0", aligned(plan(PlanLayout::MoviNand, {sized(8)}), 0), 0,
         PlanFault::ZeroAlignmentUnit, 0},
        {"UnitNumber 31", plan(PlanLayout::MoviNand, {sized(8, 0), sized(8, 31)}), 0,
         PlanFault::EntryBeyondTable, 1},
        {"shared UnitNumber 21", plan(PlanLayout::Shared, {sized(8, 21)}), 0, PlanFault::EntryBeyondTable, 0},
        {"UnitNumber wraps past 10 +", plan(PlanLayout::Shared, {sized(8, 0xFFFFFFF6)}), 0,
         PlanFault::EntryBeyondTable, 0},
        {"two -1 records", withCapacity(plan(PlanLayout::MoviNand, {rest(0), sized(8, 1), rest(2)}), 1000), 0,
         PlanFault::SeveralRestPartitions, 2},
        {"-1 at Part_30", withCapacity(plan(PlanLayout::MoviNand, thirtyOneRecordsEndingInRest()), 1000), 0,
         PlanFault::RestUnresolved, 30},
        {"fixed sizes pass the capacity",
         withCapacity(plan(PlanLayout::MoviNand, {rest(0), sized(995, 1)}), 1000), 0,
         PlanFault::NoRoomForRest, 0},
        {"fixed sizes fill the capacity",
         withCapacity(plan(PlanLayout::MoviNand, {sized(992, 1), rest(0)}), 1000), 0,
         PlanFault::NoRoomForRest, 1},
        {"rest rounds down to nothing",
         withCapacity(aligned(plan(PlanLayout::MoviNand, {sized(64, 1), rest(0)}, 64), 64), 180), 0,
         PlanFault::NoRoomForRest, 1},
        {"a size-0 record after good ones", plan(PlanLayout::MoviNand, {sized(8, 0), sized(0, 1)}), 0,
         PlanFault::EmptyPartition, 1},
        {"fixed plan beyond the capacity",
         withCapacity(plan(PlanLayout::MoviNand, {sized(500), sized(500, 1)}), 1000), 0,
         PlanFault::BeyondCapacity, 1},
        {"sector numbers wrap", plan(PlanLayout::MoviNand, {sized(0xFFFFFFF0, 0), sized(0x20, 1)}), 0,
         PlanFault::BeyondSectorRange, 1},
        {"covers the index table sector", plan(PlanLayout::MoviNand, {sized(8, 0), sized(8, 1)}), 20,
         PlanFault::CoversIndexTable, 1},
        {"overlaps boot image in entry 1", plan(PlanLayout::Shared, {sized(500, 0)}, 100), 0,
         PlanFault::CoversBootImage, 0},
        {"first sector wrapped below SDKeepCodeSize",
         keeping(plan(PlanLayout::Shared, {sized(8, 0)}, 4096), 0xFFFFF800), 5000, PlanFault::CoversBootImage,
         0},
        {"SD: open-ended rest covers the index table", plan(PlanLayout::Shared, {rest(0)}, 4096), 9000,
         PlanFault::CoversIndexTable, 0},
    };
    for (const RefusedCase& c : cases) {
        IndexTableSector sector = IndexTableSector::filledWith(0xFF);
        sector.setEntry(0, 1, 96, 0x80000001);
        sector.setEntry(1, 97, 3999, 0x80000001);  // boot images occupy sectors 1 to 4095
        const IndexTableSector before = sector;
        const PlanVerdict verdict = checkPlan(c.plan, sector, c.indexTableSector);
        EXPECT_EQ(verdict.fault, c.fault) << c.story << ": " << describePlanVerdict(verdict);
        EXPECT_EQ(verdict.recordIndex, c.record) << c.story;
        bool stepCalled = false;
        EXPECT_FALSE(placePlan(c.plan, sector, c.indexTableSector, [&](auto&&...) {
            return stepCalled = true;
        })) << c.story;
        EXPECT_FALSE(stepCalled) << c.story << ": content written for a refused plan";
        EXPECT_EQ(firstDifference(sector.bytes(), before.bytes()), "") << c.story;
    }
}

TEST(PlanPlacement, LimitsThemselvesAreAccepted) {
    IndexTableSector sector = IndexTableSector::filledWith(0xFF);
    sector.setEntry(0, 1, 4095, 0x80000001);
    EXPECT_TRUE(checkPlan(plan(PlanLayout::Shared, {sized(8, 20)}, 4096), sector, 0).ok()) << "entry 30";
    EXPECT_TRUE(checkPlan(plan(PlanLayout::MoviNand, {sized(8, 30)}), sector, 0).ok()) << "entry 30";
    EXPECT_TRUE(checkPlan(plan(PlanLayout::MoviNand, {sized(8)}), sector, 7).ok())
        << "index table just below";
    EXPECT_TRUE(checkPlan(plan(PlanLayout::MoviNand, {sized(8)}), sector, 16).ok())
        << "index table just after";
    EXPECT_TRUE(checkPlan(withCapacity(plan(PlanLayout::MoviNand, {sized(992)}), 1000), sector, 0).ok())
        << "a plan that fills the capacity exactly";
    EXPECT_TRUE(checkPlan(plan(PlanLayout::MoviNand, {sized(0xFFFFFFF7)}), sector, 0).ok())
        << "the last partition may end at sector 0xFFFFFFFE";
}

}  // namespace
}  // namespace ib
