// The checks on the PC before the first command that changes the recorder:
// each problem is named, the failing step's own message follows, and the
// recorder receives nothing that changes it.
#include <gtest/gtest.h>

#include "operation/preflight.h"
#include "support/sim_rig.h"

namespace ib {
namespace {

using test::patternBytes;
using Lines = std::vector<std::string>;

class Preflight : public ::testing::Test {
protected:
    Preflight() {
        s.write("a.bin", patternBytes(1000, 1));
        s.write("b.bin", patternBytes(513, 2));
        s.write("raw.bin", patternBytes(2000, 3));
        s.write("logo/readme.txt", "x");
        s.write("DiskInfo.ini",
                "[DEFAULT_FW]\nnumber=2\nfile0=a.bin\nfile1=b.bin\n"
                "[User_Area_Partition]\nPartitionNumber=2\n"
                "[Part_0]\nSize=4\nUnitNumber=0\nType=RAW\nRawFileName=raw.bin\n"
                "[Part_1]\nSize=64\nUnitNumber=1\nType=FAT\nRawFileName=fat.img\nDirPath=logo\n");
        s.view.storageName = "eMMC";
        s.view.firmwareNumber = "2";
        s.view.configBootArea = 1;  // the low-level format would be the first change
        s.view.configUserArea = 1;
    }
    // The message boxes of a run of `op`; fails the test when the recorder was changed.
    Lines boxesOf(Operation op) {
        EXPECT_EQ(s.run(op), 0u);
        for (std::uint8_t code : s.vendorCodes()) EXPECT_FALSE(test::changesRecorder(code)) << int(code);
        Lines boxes;
        for (auto& line : s.seen())
            if (line.rfind("box", 0) == 0) boxes.push_back(line);
        return boxes;
    }
    std::string path(const char* name) { return (s.workdir() / name).string(); }

    test::SimRig s;
};

TEST_F(Preflight, AMissingMemberStopsTheUpdateBeforeTheFormat) {
    std::filesystem::remove(s.workdir() / "b.bin");
    EXPECT_EQ(boxesOf(Operation::FullUpdate),
              (Lines{"box Error Message: Cannot find " + path("b.bin") +
                         ". Put the file there or correct its name in DiskInfo.ini. Nothing was sent to the recorder.",
                     "box Error Message: Error 0x07: Burn-in Firmware error !"}));
}

TEST_F(Preflight, AFirmwareNumberTheUpdateRefusesIsToldBeforeTheFormat) {
    s.view.firmwareNumber = "";
    EXPECT_EQ(boxesOf(Operation::FullUpdate), (Lines{"box Error Message: Error 0x14: firmware number error !"}));
}

TEST_F(Preflight, ContentLongerThanItsPartitionKeepsThePartitionSettingsMessage) {
    s.write("raw.bin", patternBytes(4 * 512 + 1, 3));
    EXPECT_EQ(boxesOf(Operation::FullUpdate),
              (Lines{"box Error Message: " + path("raw.bin") +
                         " (2049 bytes) does not fit partition Part_0 (2048 bytes). Use a smaller file. Nothing was "
                         "sent to the recorder.",
                     "box Error Message: Error 0x10: Update 1st sector partition setting error !"}));
}

TEST_F(Preflight, AMissingPackingToolStopsBothOperationsThatConfigureTheUserArea) {
    std::filesystem::remove(s.rig->toolsdir / "TreeBaler");
    const Lines expected{"box Error Message: The helper tool TreeBaler was not found. Reinstall the program or put "
                         "TreeBaler in the working folder. Nothing was sent to the recorder.",
                         "box Error Message: Error 0x0a: configure user area error !"};
    EXPECT_EQ(boxesOf(Operation::FullUpdate), expected);
    EXPECT_EQ(boxesOf(Operation::ConfigureUserArea), expected);
}

TEST_F(Preflight, AFirstSectorCopyThatCannotBeCreatedIsFoundFirst) {
    std::filesystem::create_directory(s.workdir() / "UserAreaFirstSector");
    EXPECT_EQ(boxesOf(Operation::FullUpdate),
              (Lines{"box Error Message: Cannot create " + path("UserAreaFirstSector") +
                         ". Make its folder writable or choose another working folder. Nothing was sent to the "
                         "recorder.",
                     "box Error Message: Error 0x0a: configure user area error !"}));
}

TEST(PreflightPlanCheck, OutputsNeedRoomBesideTheFilesTheyReplace) {
    test::TempFolder folder;
    folder.write("old.img", std::string(300, 'x'));  // stays until its replacement is whole
    const PreflightPlan plan{{}, {{folder / "old.img", 1000}, {folder / "new.img", 200}}, {}};
    const auto roomOf = [](std::uint64_t bytes) { return [bytes](const std::filesystem::path&) { return std::optional(bytes); }; };
    EXPECT_EQ(findPreflightProblem(plan, roomOf(1200)), std::nullopt);
    EXPECT_EQ(findPreflightProblem(plan, roomOf(1199)),
              folder.path().string() +
                  " has room for 1199 bytes, but 1200 are to be written there. Free some space. Nothing was sent to "
                  "the recorder.");
    EXPECT_FALSE(std::filesystem::exists(folder / "new.img"));  // the creation check leaves nothing behind
}

}  // namespace
}  // namespace ib
