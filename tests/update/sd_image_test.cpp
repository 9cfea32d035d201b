// Building the SD image without a recorder: the intermediate file's byte
// layout for one, two and three members, the user area inside it, and how
// the merge tool's outcome is reported.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "bootarea/index_table_sector.h"
#include "support/sim_rig.h"
#include "operation/status_texts.h"

namespace ib {
namespace {

using test::patternBytes;
using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

Bytes fileBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes slice(const Bytes& b, std::size_t from, std::size_t n) {
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from), b.begin() + static_cast<std::ptrdiff_t>(from + n));
}

Bytes padded(const std::string& s, std::size_t size) {
    Bytes b(s.begin(), s.end());
    b.resize(size, 0xFF);
    return b;
}

class SdImage : public ::testing::Test {
protected:
    SdImage() {
        s.write("m0.bin", m0);
        s.write("m1.bin", m1);
        s.write("m2.bin", m2);
        s.view.binPath = (s.workdir() / "out.bin").string();
    }
    void configure(int n, const std::string& extra = "") {
        std::string ini = "[DEFAULT_FW]\nMBR=4\nnumber=" + std::to_string(n) + "\n";
        for (int i = 0; i < n; ++i) ini += "file" + std::to_string(i) + "=m" + std::to_string(3 - n + i) + ".bin\n";
        s.write("DiskInfo.ini", ini + extra);
        s.controller->m_mbrSector = 4;
        s.view.firmwareNumber = std::to_string(n);
    }
    std::filesystem::path intermediate() const { return s.workdir() / "SD_RoadVTemp.bin"; }

    test::SimRig s;
    const std::string m0 = patternBytes(700, 1), m1 = patternBytes(100, 2), m2 = patternBytes(1100, 3);
};

TEST_F(SdImage, OneMemberIsTheBootCodeAloneKeptInTheIntermediateAndGivenToTheOutput) {
    configure(1);  // file0 = m2.bin
    s.rig->processes.behaviour = [this](const test::RecordingProcesses::Call& call) {
        std::filesystem::copy_file(s.workdir() / call.arguments[0], call.arguments[1]);
        return 0;
    };
    ASSERT_EQ(s.run(Operation::CreateSdImage), 1u);
    EXPECT_EQ(fileBytes(intermediate()), padded(m2, 1536));
    EXPECT_EQ(fileBytes(s.workdir() / "out.bin"), padded(m2, 1536));
    ASSERT_EQ(s.rig->processes.calls.size(), 1u);
    EXPECT_EQ(s.rig->processes.calls[0].program, s.rig->toolsdir.path() / "mergeimg");
}

TEST_F(SdImage, TwoMembersLeaveTheBootCodeRegionUnwritten) {
    configure(2, "[User_Area_Partition]\nPartitionNumber=0\n");  // m1 bootloader, m2 firmware
    s.rig->processes.behaviour = [](const auto&) { return 1; };     // keep the intermediate file
    EXPECT_EQ(s.run(Operation::CreateSdImage), 0u);
    const Bytes image = fileBytes(intermediate());
    ASSERT_EQ(image.size(), 5u * 512 + 512 + 1536);
    EXPECT_EQ(slice(image, 0, 512), Bytes(512, 0));          // L0 = 512: never written
    EXPECT_EQ(slice(image, 512, 1536), Bytes(1536, 0xFF));   // up to the index table sector
    EXPECT_EQ(slice(image, 5 * 512, 512), padded(m1, 512));
    EXPECT_EQ(slice(image, 6 * 512, 1536), padded(m2, 1536));
    const auto table = IndexTableSector::fromBytes(slice(image, 4 * 512, 512));
    EXPECT_TRUE(table.hasMagic());
    EXPECT_EQ(table.storageMarker(), 0xFFFFFFFFu);
    EXPECT_EQ((std::array{table.entry(0).startSector, table.entry(0).sectorCount, table.entry(0).attributes,
                          table.entry(0).reserved}),
              (std::array{5u, 1u, 0x80000001u, 0xFFFFFFFFu}));
    EXPECT_EQ((std::array{table.entry(1).startSector, table.entry(1).sectorCount}), (std::array{6u, 3u}));
    EXPECT_EQ(table.entry(2).startSector, 0xFFFFFFFFu);
    const Lines seen = s.seen();
    EXPECT_EQ(seen[seen.size() - 2], "box Error Message: Error : SD_RoadVTemp.bin Combine MD5 Failed\n");
    EXPECT_TRUE(std::filesystem::exists(intermediate()));  // kept for the technician
    EXPECT_EQ(s.controller->statusState().text, text::kProcessFailed);
}

TEST_F(SdImage, ThreeMembersWithUserAreaAndGapsThenTheMerge) {
    s.write("part.bin", patternBytes(700, 7));
    configure(3, "[User_Area_Partition]\nPartitionNumber=2\nSDKeepCodeSize=16\n"
                 "[Part_0]\nSize=2\nUnitNumber=0\nType=RAW\nRawFileName=part.bin\n"
                 "[Part_1]\nSize=-1\nUnitNumber=2\nType=NONE\n");
    s.rig->processes.behaviour = [this](const test::RecordingProcesses::Call& call) {
        std::filesystem::copy_file(s.workdir() / call.arguments[0], call.arguments[1]);
        return 0;
    };
    ASSERT_EQ(s.run(Operation::CreateSdImage), 1u);
    ASSERT_EQ(s.rig->processes.calls.size(), 1u);
    EXPECT_EQ(s.rig->processes.calls[0].program, s.rig->toolsdir.path() / "mergeimg");
    EXPECT_EQ(s.rig->processes.calls[0].arguments,
              (std::vector<std::string>{"SD_RoadVTemp.bin", (s.workdir() / "out.bin").string()}));
    EXPECT_FALSE(std::filesystem::exists(intermediate()));
    EXPECT_EQ(s.controller->statusState().text, text::kProcessSucceeded);

    const Bytes image = fileBytes(s.workdir() / "out.bin");
    EXPECT_EQ(slice(image, 0, 1024), padded(m0, 1024));
    EXPECT_EQ(slice(image, 1024, 1024), Bytes(1024, 0xFF));
    EXPECT_EQ(slice(image, 5 * 512, 512), padded(m1, 512));
    EXPECT_EQ(slice(image, 9 * 512, 7 * 512), Bytes(7 * 512, 0xFF));  // gap up to the partition
    EXPECT_EQ(slice(image, 16 * 512, 1024), padded(patternBytes(700, 7), 1024));
    EXPECT_EQ(image.size(), 18u * 512);  // the rest partition has no content
    const auto table = IndexTableSector::fromBytes(slice(image, 4 * 512, 512));
    EXPECT_EQ((std::array{table.entry(10).startSector, table.entry(10).sectorCount}), (std::array{16u, 2u}));
    EXPECT_EQ((std::array{table.entry(12).startSector, table.entry(12).sectorCount}),
              (std::array{18u, 0xFFFFFFFFu}));
    EXPECT_EQ(table.entry(11).startSector, 0xFFFFFFFFu);
}

TEST_F(SdImage, GapsAreFilledInSectorOrderWhateverTheUnitNumbers) {
    const std::string fat = patternBytes(2048 * 512, 4), raw1 = patternBytes(700, 5), raw2 = patternBytes(600, 6);
    s.write("fat.img", fat);
    s.write("r1.bin", raw1);
    s.write("r2.bin", raw2);
    configure(3, "[User_Area_Partition]\nPartitionNumber=3\nSDKeepCodeSize=16\n"
                 "[Part_0]\nSize=2048\nUnitNumber=2\nType=FAT\nRawFileName=fat.img\n"
                 "[Part_1]\nSize=auto\nUnitNumber=0\nType=RAW\nRawFileName=r1.bin\n"
                 "[Part_2]\nSize=auto\nUnitNumber=1\nType=RAW\nRawFileName=r2.bin\n");
    s.rig->processes.behaviour = [](const auto&) { return 1; };  // keep the intermediate file
    EXPECT_EQ(s.run(Operation::CreateSdImage), 0u);
    const Bytes image = fileBytes(intermediate());
    const auto table = IndexTableSector::fromBytes(slice(image, 4 * 512, 512));
    EXPECT_EQ((std::array{table.entry(12).startSector, table.entry(10).startSector, table.entry(11).startSector}),
              (std::array{16u, 2064u, 2066u}));
    EXPECT_EQ(slice(image, 9 * 512, 7 * 512), Bytes(7 * 512, 0xFF));
    EXPECT_EQ(slice(image, 16 * 512, fat.size()), Bytes(fat.begin(), fat.end()));
    EXPECT_EQ(slice(image, 2064 * 512, 1024), padded(raw1, 1024));
    EXPECT_EQ(slice(image, 2066 * 512, 1024), padded(raw2, 1024));
}

TEST_F(SdImage, ACancelledOutputChooserCreatesNothing) {
    configure(2);
    s.view.binPath = "";
    EXPECT_EQ(s.run(Operation::CreateSdImage), 0u);
    EXPECT_EQ(s.seen(), (Lines{"choose save: ", "box Error Message: Error : Lost Bin File\n"}));
    EXPECT_FALSE(std::filesystem::exists(intermediate()));
    EXPECT_EQ(s.rig->port.choosers[0].title, "Save Bin File");
}

TEST_F(SdImage, ABootCodeRunningIntoTheIndexTableIsRefused) {
    s.write("m0.bin", std::string(5 * 512, 'x'));
    configure(3);
    EXPECT_EQ(s.run(Operation::CreateSdImage), 0u);
    EXPECT_EQ(s.seen()[0], "box Error Message: Error : boot code (2560 bytes) runs into the index table sector 4 !");
    EXPECT_FALSE(std::filesystem::exists(intermediate()));
}

TEST_F(SdImage, AMemberWhoseSectorsAnEntryCannotCountIsRefused) {
    std::filesystem::resize_file(s.rig->workdir.write("m2.bin", ""), std::uint64_t{1} << 41);  // sparse, 2^32 sectors
    configure(2);
    EXPECT_EQ(s.run(Operation::CreateSdImage), 0u);
    EXPECT_EQ(s.seen()[0], "box Error Message: " + (s.workdir() / "m2.bin").string() +
                               " (2199023255552 bytes) does not fit an index table entry (2199023255040 bytes). Use "
                               "a smaller file. Nothing was sent to the recorder.");
    EXPECT_FALSE(std::filesystem::exists(intermediate()));
}

TEST_F(SdImage, ProgressIsShownOnceEachPieceIsInTheFile) {
    s.write("m1.bin", std::string(65536, 'b'));
    s.write("m2.bin", std::string(131072, 'f'));
    configure(2, "[User_Area_Partition]\nPartitionNumber=0\n");
    const std::string bootloader = (s.workdir() / "m1.bin").string(), firmware = (s.workdir() / "m2.bin").string();
    ASSERT_EQ(s.run(Operation::CreateSdImage), 1u);
    Lines progress;
    for (const auto& line : s.seen())
        if (line.find(".bin ") != std::string::npos) progress.push_back(line);
    EXPECT_EQ(progress, (Lines{"status: " + bootloader + " 0%", "status: " + firmware + " 33%",
                               "status: " + firmware + " 66%"}));
}

TEST_F(SdImage, UserAreaProgressIsShownOnceEachPieceIsInTheFile) {
    s.write("part.bin", std::string(4096, 'p'));
    s.write("DiskInfo.ini", "[User_Area_Partition]\nPartitionNumber=1\n"
                            "[Part_0]\nSize=8\nType=RAW\nRawFileName=part.bin\n");
    std::fstream full("/dev/full", std::ios::in | std::ios::out | std::ios::binary);
    ASSERT_TRUE(full.is_open());
    EXPECT_EQ(s.controller->writeUserAreaImage(IndexTableSector::filledWith(0xFF), full), 0u);
    EXPECT_EQ(s.seen(), (Lines{"box Error Message: Error : cannot write the image file (disk full?)"}));
}

TEST_F(SdImage, ACancelledMemberChooserShowsTheFailure) {
    s.write("DiskInfo.ini", "[DEFAULT_FW]\nnumber=0\n");
    s.view.firmwareNumber = "2";
    EXPECT_EQ(s.run(Operation::CreateSdImage), 0u);
    EXPECT_EQ(s.seen(), (Lines{"choose open: Open Bootloader and Firmware file 0",
                               test::statusLine(text::kProcessFailed, 100)}));
    EXPECT_FALSE(std::filesystem::exists(intermediate()));
}

TEST_F(SdImage, ARunRefusedBeforeWritingLeavesNoIntermediate) {
    const std::pair<std::string, std::function<void(test::SimRig&)>> refusals[] = {
        {"Error 0x14: firmware number error !", [](test::SimRig& r) { r.view.firmwareNumber = "11"; }},
        {"Cannot find ", [](test::SimRig& r) {
             std::filesystem::remove(r.workdir() / "m1.bin");
         }},
    };
    for (const auto& [message, refuse] : refusals) {
        configure(2);
        refuse(s);
        EXPECT_EQ(s.run(Operation::CreateSdImage), 0u);
        const Lines seen = s.seen();
        ASSERT_FALSE(seen.empty());
        EXPECT_TRUE(seen[0].starts_with("box Error Message: " + message)) << seen[0];
        EXPECT_FALSE(std::filesystem::exists(intermediate())) << message;
    }
}

}  // namespace
}  // namespace ib
