// Reading the partition plan from "DiskInfo.ini": sizes, kinds, alignment,
// the first sector in both layouts, RAW sizes taken from files, and the rest
// partition resolved against a capacity.
#include <gtest/gtest.h>

#include <fstream>

#include <string>

#include "support/temp_folder.h"
#include "userarea/partition_plan_reader.h"
#include "userarea/plan_validation.h"

namespace ib {
namespace {

class PlanReading : public ::testing::Test {
protected:
    PartitionPlan read(const std::string& ini, PlanLayout layout = PlanLayout::MoviNand) {
        return readPartitionPlan(folder.write("DiskInfo.ini", ini), folder.path(), layout);
    }
    test::TempFolder folder;
};

constexpr const char* kWorkedExample =
    "[User_Area_Partition]\nAlignmentEnable=1\nAlignmentSize=8192\nPartitionNumber=2\n"
    "[Part_0]\nSize=-1\nType=FAT\nUnitNumber=0\nRawFileName=fat.img\nDirPath=files\n"
    "[Part_1]\nSize=1000\nType=RAW\nUnitNumber=1\nRawFileName=logo.bin\n";

TEST_F(PlanReading, WorkedExampleGivesFirstSectorFixedTotalAndRestSize) {
    PartitionPlan plan = read(kWorkedExample);
    ASSERT_EQ(plan.records.size(), 2u);
    EXPECT_EQ(plan.firstSector, 8192u);
    EXPECT_EQ(plan.records[1].sizeSectors, 8192u) << "1000 rounded up to the alignment";
    EXPECT_EQ(plan.fixedTotal, 16384u);
    EXPECT_EQ(plan.restIndex, 0u);
    EXPECT_TRUE(plan.records[0].takesRest);
    EXPECT_EQ(plan.records[0].sizeSectors, kRestOfCapacity);
    EXPECT_EQ(plan.records[0].kind, PartitionKind::Fat);
    EXPECT_EQ(plan.records[0].fileName, "fat.img");
    EXPECT_EQ(plan.records[0].dirPath, "files");
    EXPECT_EQ(plan.records[1].kind, PartitionKind::Raw);
    EXPECT_EQ(plan.records[1].unitNumber, 1u);

    resolveRestPartition(plan, 7700480);
    EXPECT_EQ(plan.records[0].sizeSectors, 7684096u);
    EXPECT_EQ(plan.capacitySectors, 7700480u);

    // The shared layout keeps SDKeepCodeSize clear, rounded up to the alignment.
    const PartitionPlan shared =
        read("[User_Area_Partition]\nAlignmentEnable=1\nAlignmentSize=2048\nSDKeepCodeSize=20000\n",
             PlanLayout::Shared);
    EXPECT_EQ(shared.firstSector, 20480u);
    const PartitionPlan unaligned = read("[User_Area_Partition]\nSDKeepCodeSize=20000\n", PlanLayout::Shared);
    EXPECT_EQ(unaligned.firstSector, 20000u);
    const PartitionPlan movi = read("[User_Area_Partition]\nSDKeepCodeSize=20000\n", PlanLayout::MoviNand);
    EXPECT_EQ(movi.firstSector, 1u) << "moviNAND ignores SDKeepCodeSize";
}

TEST_F(PlanReading, SizeTextsAndTypesAreReadAsTheConfigurationMeansThem) {
    const PartitionPlan plan = read(
        "[User_Area_Partition]\nPartitionNumber=7\n"
        "[Part_0]\nSize=AUTO\nType=FAT\n"
        "[Part_1]\nSize=Auto\n"
        "[Part_2]\nSize=64kb\nType=fat\nRawFileName=ignored\n"
        "[Part_3]\nSize=blocks\nType=Raw\n"
        "[Part_4]\nSize=-1\nUnitNumber=-1\n"
        "[Part_5]\nSize=-1\n"
        "[Part_6]\nSize=100\nUnitNumber=4\nType=RAW\nRawFileName=missing.bin\n");
    ASSERT_EQ(plan.records.size(), 7u);
    EXPECT_EQ(plan.records[0].sizeSectors, 0u);
    EXPECT_EQ(plan.records[1].sizeSectors, 0u);
    EXPECT_EQ(plan.records[2].sizeSectors, 64u) << "digits then letters";
    EXPECT_EQ(plan.records[2].kind, PartitionKind::NoContent) << "Type is compared with exact case";
    EXPECT_EQ(plan.records[2].fileName, "fat") << "a record without content keeps its Type text";
    EXPECT_EQ(plan.records[3].sizeSectors, 0u) << "no leading digits";
    EXPECT_EQ(plan.records[3].kind, PartitionKind::NoContent);
    EXPECT_EQ(plan.records[4].unitNumber, 0xFFFFFFFFu);
    EXPECT_EQ(plan.restIndex, 5u) << "the last -1 record is the rest record";
    EXPECT_TRUE(plan.records[4].takesRest);
    EXPECT_EQ(plan.records[6].sizeSectors, 100u) << "an explicit size is not taken from the file";
    EXPECT_EQ(plan.fixedTotal, 1u + 64u + 100u);

    const PartitionPlan none = read("[User_Area_Partition]\nPartitionNumber=0\n[Part_0]\nSize=5\n");
    EXPECT_TRUE(none.records.empty());
    EXPECT_EQ(none.firstSector, 1u);
    EXPECT_EQ(none.fixedTotal, 1u);
}

TEST_F(PlanReading, AlignmentCountsOnlyItsLowEightBitsAndUnitOneChangesNothing) {
    const char* parts = "[Part_0]\nSize=1000\n[Part_1]\nSize=3\n";
    const PartitionPlan off = read(
        std::string("[User_Area_Partition]\nPartitionNumber=2\nAlignmentEnable=256\nAlignmentSize=64\n") +
        parts);
    EXPECT_FALSE(off.alignmentEnabled);
    EXPECT_EQ(off.firstSector, 1u);
    EXPECT_EQ(off.records[0].sizeSectors, 1000u);

    const PartitionPlan on = read(
        std::string("[User_Area_Partition]\nPartitionNumber=2\nAlignmentEnable=257\nAlignmentSize=64\n") +
        parts);
    EXPECT_TRUE(on.alignmentEnabled);
    EXPECT_EQ(on.firstSector, 64u);
    EXPECT_EQ(on.records[0].sizeSectors, 1024u);
    EXPECT_EQ(on.records[1].sizeSectors, 64u);
    EXPECT_EQ(on.fixedTotal, 64u + 1024u + 64u);

    const PartitionPlan unit =
        read(std::string("[User_Area_Partition]\nPartitionNumber=2\nAlignmentEnable=1\nAlignmentSize=1\n") +
             parts);
    EXPECT_EQ(unit.firstSector, 1u);
    EXPECT_EQ(unit.records[0].sizeSectors, 1000u);
    EXPECT_EQ(unit.records[1].sizeSectors, 3u);

    // Rounding the rest down: capacity 10000 - fixed (64 + 1024) = 8912, down to 8896.
    PartitionPlan rest = read(
        "[User_Area_Partition]\nPartitionNumber=2\nAlignmentEnable=1\nAlignmentSize=64\n"
        "[Part_0]\nSize=1000\n[Part_1]\nSize=-1\n");
    resolveRestPartition(rest, 10000);
    EXPECT_EQ(rest.records[1].sizeSectors, 8896u);
}

TEST_F(PlanReading, RawRecordWithoutSizeIsSizedFromItsFile) {
    folder.write("logo.bin", std::string(513, 'x'));
    folder.write("empty.bin", "");
    const PartitionPlan plan = read(
        "[User_Area_Partition]\nPartitionNumber=4\n"
        "[Part_0]\nType=RAW\nRawFileName=logo.bin\n"
        "[Part_1]\nType=RAW\nSize=0\nRawFileName=empty.bin\n"
        "[Part_2]\nType=RAW\nRawFileName=absent.bin\n"
        "[Part_3]\nType=FAT\nRawFileName=logo.bin\n");
    EXPECT_EQ(plan.records[0].sizeSectors, 2u) << "513 bytes need 2 sectors";
    EXPECT_EQ(plan.records[1].sizeSectors, 0u) << "an empty file gives 0, which fails at placement";
    EXPECT_EQ(plan.records[2].sizeSectors, 0u);
    EXPECT_EQ(plan.records[3].sizeSectors, 0u) << "only RAW records are sized from their file";
    EXPECT_EQ(plan.fixedTotal, 3u);
}

TEST_F(PlanReading, LargeRawFileIsSizedFromItsWholeLength) {
    // A sparse file of 4 GiB + 1 byte: its low 32 bits alone would give 1 sector.
    const auto big = folder.path() / "big.bin";
    std::ofstream(big).put('x');
    std::error_code error;
    std::filesystem::resize_file(big, (std::uintmax_t{1} << 32) + 1, error);
    if (error) GTEST_SKIP() << "no sparse files here: " << error.message();
    const PartitionPlan plan =
        read("[User_Area_Partition]\nPartitionNumber=1\n[Part_0]\nType=RAW\nRawFileName=big.bin\n");
    EXPECT_EQ(plan.records[0].sizeSectors, 8388609u);
}

TEST_F(PlanReading, RawFileTooLargeForAnEntryIsNamedSo) {
    const auto big = folder.path() / "big.bin";
    std::ofstream(big).put('x');
    std::error_code error;
    std::filesystem::resize_file(big, std::uintmax_t{1} << 41, error);  // sparse, 2^32 sectors
    if (error) GTEST_SKIP() << "no sparse files here: " << error.message();
    const PartitionPlan plan = read("[User_Area_Partition]\nPartitionNumber=2\n[Part_0]\nSize=8\n"
                                    "[Part_1]\nSize=auto\nType=RAW\nRawFileName=big.bin\n");
    const PlanVerdict verdict = checkPlan(plan, IndexTableSector::fresh(), 0);
    EXPECT_EQ(describePlanVerdict(verdict), "Part_1: the file is too large for an index table entry");
}

TEST_F(PlanReading, MissingFileAndMissingSectionsGiveEmptyRecords) {
    const PartitionPlan absent =
        readPartitionPlan(folder.path() / "DiskInfo.ini", folder.path(), PlanLayout::Shared);
    EXPECT_TRUE(absent.records.empty());
    EXPECT_FALSE(checkPlanFile(folder.path() / "DiskInfo.ini"));
    EXPECT_FALSE(checkPlanFile(folder.path())) << "a folder does not open as a file";
    EXPECT_EQ(planFileOpenError("/w/DiskInfo.ini"), "Error 0x14: can't open /w/DiskInfo.ini \n");

    // PartitionNumber -1 asks for 4 billion records; the first missing section ends the reading.
    const PartitionPlan huge = read("[User_Area_Partition]\nPartitionNumber=-1\n[Part_0]\nSize=8\n");
    EXPECT_TRUE(checkPlanFile(folder.path() / "DiskInfo.ini"));
    ASSERT_EQ(huge.records.size(), 2u);
    EXPECT_EQ(huge.records[1].sizeSectors, 0u);
    EXPECT_EQ(huge.records[1].kind, PartitionKind::NoContent);
    EXPECT_EQ(workingDirectoryPath("/work", "a/b.bin"), std::filesystem::path("/work/a/b.bin"));
    EXPECT_EQ(workingDirectoryPath("/work", "/a/b.bin"), std::filesystem::path("/work/a/b.bin"));
}

}  // namespace
}  // namespace ib
