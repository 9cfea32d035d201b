// Configuring the user area on the simulated recorder: the index table sector
// as written, content in its partitions, the folder-packing tool's call, and
// the handler's messages.
#include <gtest/gtest.h>

#include "bootarea/index_table_sector.h"
#include "support/fifo_sentinel.h"
#include "support/sim_rig.h"
#include "operation/status_texts.h"

namespace ib {
namespace {

using test::patternBytes;
using test::statusLine;
using Lines = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

Bytes hex(std::initializer_list<int> values) {
    Bytes b;
    for (int v : values) b.push_back(static_cast<std::uint8_t>(v));
    return b;
}

class UserArea : public ::testing::Test {
protected:
    void open(const char* storage) {
        c.m_storageName = storage;
        ASSERT_TRUE(c.selectStorageType());
        ASSERT_TRUE(c.usbCmd().Open());
    }
    test::SimRig s;
    CImageBurnerDlg& c = *s.controller;
};

TEST_F(UserArea, MoviNandGetsAFreshSectorWithTheWorkedExample) {
    s.write("DiskInfo.ini",
            "[User_Area_Partition]\nPartitionNumber=2\nAlignmentEnable=1\nAlignmentSize=8192\n"
            "[Part_0]\nSize=-1\nType=FAT\nUnitNumber=0\n[Part_1]\nSize=1000\nType=RAW\nUnitNumber=1\n");
    s.sim->writeArea(sim::AreaId{0, 0}, 0, Bytes(512, 0x5A));  // whatever the device held is replaced
    open("moviNAND");
    ASSERT_EQ(c.updatePartitionSetting(), 1u);

    Bytes expected(512, 0);
    const Bytes head = hex({0x40, 0x08, 0x55, 0xAA, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x80, 0x75, 0x00,
                            0x00, 0x20, 0x00, 0x00, 0x00, 0x40, 0x75, 0x00, 0x03, 0, 0, 0, 0, 0, 0, 0,
                            0x00, 0x60, 0x75, 0x00, 0x00, 0x20, 0x00, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 0});
    std::copy(head.begin(), head.end(), expected.begin());
    expected[508] = 0x40, expected[509] = 0x08, expected[510] = 0x55, expected[511] = 0xAA;
    EXPECT_EQ(s.area(0, 0, 0, 1), expected);
}

TEST_F(UserArea, TheSharedLayoutChangesOnlyThePartitionEntries) {
    Bytes burnt(512);
    for (std::size_t i = 0; i < burnt.size(); ++i) burnt[i] = static_cast<std::uint8_t>(i * 13 + 7);
    auto table = IndexTableSector::fromBytes(burnt);
    table.stampMagic();
    table.setEntry(0, 1, 100, 0x80000001);
    for (std::size_t e = 1; e < 10; ++e) table.setEntry(e, 0xFFFFFFFF, 0, 0);
    for (std::size_t e = 10; e < 31; ++e) table.setEntry(e, 0xFFFFFFFF, 0, 0);
    s.sim->writeArea(sim::AreaId{2, 0}, 0, table.bytes());
    s.write("DiskInfo.ini", "[User_Area_Partition]\nPartitionNumber=1\nSDKeepCodeSize=2048\n"
                            "[Part_0]\nSize=64\nType=RAW\nUnitNumber=3\n");
    open("eMMC");
    ASSERT_EQ(c.updatePartitionSetting(), 1u);
    auto expected = table;
    expected.setEntry(13, 2048, 64, 1);
    EXPECT_EQ(s.area(2, 0, 0, 1), Bytes(expected.bytes().begin(), expected.bytes().end()));
}

TEST_F(UserArea, AnUnburntSharedSectorIsRefused) {
    s.write("DiskInfo.ini", "[User_Area_Partition]\nPartitionNumber=0\n");
    open("eSD");
    EXPECT_EQ(c.updatePartitionSetting(), 0u);
    EXPECT_EQ(c.configureUserArea(), 0u);
    const std::string ini = (s.workdir() / "DiskInfo.ini").string();
    EXPECT_EQ(s.seen(), (Lines{"box Error Message: Error 0x20: Please burn-in firmware first \n",
                               "box Error Message: Error 0x20: Please burn-in firmware first " + ini + " \n"}));
}

TEST_F(UserArea, AMissingConfigurationIsNamed) {
    open("moviNAND");
    EXPECT_EQ(c.configureUserArea(), 0u);
    EXPECT_EQ(s.seen(), (Lines{"box Error Message: Error 0x14: can't open " +
                               (s.workdir() / "DiskInfo.ini").string() + " \n"}));
}

class MoviNandContent : public UserArea {
protected:
    void plan(const std::string& parts, int count) {
        s.write("DiskInfo.ini", "[User_Area_Partition]\nPartitionNumber=" + std::to_string(count) + "\n" + parts);
        open("moviNAND");
    }
};

TEST(ContentLongerThanItsPartition, IsRefusedBeforeAnythingIsWritten) {
    struct Case {
        std::uint64_t fileBytes;
        std::uint32_t partitionSectors;
        const char* sizes;
    };
    for (const Case big : {Case{1000, 1, "(1000 bytes) is larger than its partition (1 sectors, 512 bytes) !"},
                           Case{(std::uint64_t{1} << 32) + 512, 8388608,
                                "(4294967808 bytes) is larger than its partition (8388608 sectors, 4294967296 "
                                "bytes) !"}}) {
        test::SimRig s({.areaSectors = sim::uniformAreaSizes(9'000'000, 16'384)});
        std::filesystem::resize_file(s.rig->workdir.write("big.bin", patternBytes(1000, 3)), big.fileBytes);
        s.write("DiskInfo.ini", "[User_Area_Partition]\nPartitionNumber=1\n[Part_0]\nSize=" +
                                    std::to_string(big.partitionSectors) + "\nType=RAW\nRawFileName=big.bin\n");
        s.controller->m_storageName = "moviNAND";
        ASSERT_TRUE(s.controller->selectStorageType());
        ASSERT_TRUE(s.controller->usbCmd().Open());
        EXPECT_EQ(s.controller->configureUserArea(), 0u);
        EXPECT_EQ(s.seen(), (Lines{"step: Error : " + (s.workdir() / "big.bin").string() + " " + big.sizes}));
        EXPECT_TRUE(s.sim->sectorsWithData(sim::AreaId{0, 0}).empty()) << big.fileBytes;
    }
}

TEST_F(MoviNandContent, APackedImageLongerThanItsPartitionIsNotWritten) {
    s.rig->processes.behaviour = [this](const test::RecordingProcesses::Call&) {
        s.write("fs.img", std::string(1000, 'F'));
        return 0;
    };
    plan("[Part_0]\nSize=1\nType=FAT\nRawFileName=fs.img\nDirPath=files\n", 1);
    EXPECT_EQ(c.configureUserArea(), 0u);
    EXPECT_EQ(s.seen(), (Lines{"step: Running " + (s.rig->toolsdir.path() / "TreeBaler").string(),
                               "step: Error : " + (s.workdir() / "fs.img").string() +
                                   " (1000 bytes) is larger than its partition (1 sectors, 512 bytes) !"}));
    EXPECT_TRUE(s.sim->sectorsWithData(sim::AreaId{0, 0}).empty());
}

TEST_F(MoviNandContent, ContentThatIsNotARegularFileIsSkippedUnopened) {
    test::FifoSentinel pipe(s.workdir() / "pipe.bin");
    plan("[Part_0]\nSize=16\nType=RAW\nRawFileName=pipe.bin\n", 1);
    ASSERT_EQ(c.configureUserArea(), 1u);
    EXPECT_EQ(IndexTableSector::fromBytes(s.area(0, 0, 0, 1)).entry(0).sectorCount, 16u);
    EXPECT_EQ(s.area(0, 0, 1, 1), Bytes(512, 0));
    EXPECT_FALSE(pipe.wasOpened());
}

TEST_F(MoviNandContent, AFatRecordIsPackedByTheToolWithItsArguments) {
    s.rig->processes.behaviour = [this](const test::RecordingProcesses::Call& call) {
        s.write(std::filesystem::path(call.arguments[1]).filename().string(), "FATIMAGE");
        return 0;
    };
    plan("[Part_0]\nSize=16\nType=FAT\nRawFileName=it's 'q' $(x).img\nDirPath=my files\n", 1);
    ASSERT_EQ(c.configureUserArea(), 1u);
    ASSERT_EQ(s.rig->processes.calls.size(), 1u);
    const auto& call = s.rig->processes.calls[0];
    EXPECT_EQ(call.program, s.rig->toolsdir.path() / "TreeBaler");
    EXPECT_EQ(call.arguments, (std::vector<std::string>{"-file", (s.workdir() / "it's 'q' $(x).img").string(),
                                                        "-folder", (s.workdir() / "my files").string(), "-size",
                                                        "16"}));
    Bytes expected = {'F', 'A', 'T', 'I', 'M', 'A', 'G', 'E'};
    expected.resize(512, 0xFF);
    EXPECT_EQ(s.area(0, 0, 1, 1), expected);
    EXPECT_EQ(IndexTableSector::fromBytes(s.area(0, 0, 0, 1)).entry(0).attributes, 3u);
}

TEST_F(MoviNandContent, AFailingToolStopsBeforeTheTableIsWritten) {
    s.rig->processes.behaviour = [](const test::RecordingProcesses::Call&) { return 2; };
    plan("[Part_0]\nSize=16\nType=FAT\nRawFileName=fs.img\nDirPath=files\n", 1);
    EXPECT_EQ(c.configureUserArea(), 0u);
    EXPECT_EQ(s.seen(), (Lines{"step: Running " + (s.rig->toolsdir.path() / "TreeBaler").string(),
                               "box Error Message: Error : Download image to file failed " +
                                   (s.workdir() / "fs.img").string() + " \n"}));
    EXPECT_EQ(s.area(0, 0, 0, 1), Bytes(512, 0));
    EXPECT_FALSE(std::filesystem::exists(s.workdir() / "UserAreaFirstSector"));
}

TEST_F(MoviNandContent, ABitmapThatCannotBeConvertedFailsTheOperationBeforeTheTableIsWritten) {
    // A 24-bit bitmap of one pixel: file header, 40-byte info header, one 4-byte row.
    Bytes logo(58, 0);
    logo[0] = 'B', logo[1] = 'M', logo[10] = 54, logo[14] = 40, logo[18] = 1, logo[22] = 1, logo[26] = 1;
    logo[28] = 24;
    s.write("logo.bmp", std::string(logo.begin(), logo.end()));
    const auto path = s.workdir() / "logo.bmp";
    plan("[Part_0]\nSize=4\nType=RAW\nRawFileName=logo.bmp\n", 1);
    EXPECT_EQ(c.configureUserArea(), 0u);
    EXPECT_EQ(s.seen(), (Lines{"box Error Message: Error : cannot convert bitmap " + path.string() +
                               ": not a 16-bit bitmap (24 bits per pixel)"}));
    EXPECT_EQ(s.area(0, 0, 0, 1), Bytes(512, 0));
}

TEST_F(MoviNandContent, AMissingFatImageWithoutFolderLeavesTheEntryOnly) {
    plan("[Part_0]\nSize=16\nType=FAT\nRawFileName=absent.img\n", 1);
    ASSERT_EQ(c.configureUserArea(), 1u);
    EXPECT_EQ(IndexTableSector::fromBytes(s.area(0, 0, 0, 1)).entry(0).sectorCount, 16u);
    EXPECT_TRUE(s.seen().empty());
}

TEST_F(MoviNandContent, ARejectedPlanWritesNothingAtAll) {
    s.write("r.bin", "content");
    plan("[Part_0]\nSize=4\nType=RAW\nRawFileName=r.bin\n[Part_1]\nSize=0\nType=RAW\n", 2);
    EXPECT_EQ(c.configureUserArea(), 0u);
    EXPECT_TRUE(s.sim->sectorsWithData(sim::AreaId{0, 0}).empty());
    EXPECT_FALSE(std::filesystem::exists(s.workdir() / "UserAreaFirstSector"));
}

TEST(ConfigureUserAreaHandler, ShowsEachStepAndTheInformationBox) {
    test::SimRig s;
    s.write("DiskInfo.ini", "[User_Area_Partition]\nPartitionNumber=0\n");
    s.view.storageName = "moviNAND";
    ASSERT_EQ(s.run(Operation::ConfigureUserArea), 1u);
    EXPECT_EQ(s.seen(), (Lines{statusLine(text::kConnecting, 0), "step: Start to configure user area .....",
                               "step: Format user area .....", "step: configure user area done .....",
                               "box Information: All process done"}));
    EXPECT_EQ(s.sim->state().counters.userAreaFormats, 1u);

    test::SimRig boot({.mode = sim::RecorderMode::BootRom});
    boot.view.storageName = "moviNAND";
    EXPECT_EQ(boot.run(Operation::ConfigureUserArea), 0u);
    EXPECT_EQ(boot.seen()[1], "box Error Message: Error 0x03: Please Sync Device first !");
}

}  // namespace
}  // namespace ib
