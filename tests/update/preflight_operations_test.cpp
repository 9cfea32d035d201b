// The service operations check their files on the PC before they write: the
// problem is named, the step's own message or verdict follows, and neither the
// recorder nor the image file has received anything.
#include <gtest/gtest.h>

#include <functional>

#include "operation/status_texts.h"
#include "support/sim_rig.h"

namespace ib {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

struct OperationCase {
    const char* name;
    Operation op;
    sim::RecorderMode mode;
    std::function<void(test::SimRig&)> arrange;
    Lines expected;  // the boxes, then the last status line; "@/" stands for the working folder
};

void writeSparse(test::SimRig& s, const std::string& name, std::uint64_t bytes) {
    fs::resize_file(s.rig->workdir.write(name, ""), bytes);
}

const std::string kNothingSent = " Nothing was sent to the recorder.";
const std::string kOnlyIdentified = " Only the commands that identify the recorder were sent; nothing on it was changed.";

// A working folder where UserAreaFirstSector cannot be created, as in a read-only one.
void userAreaWithoutItsFirstSectorCopy(test::SimRig& s) {
    s.write("a.bin", test::patternBytes(1000, 1));
    s.write("updater.bin", test::patternBytes(3000, 9));
    s.write("DiskInfo.ini", "[DEFAULT_FW]\nnumber=1\nfile0=a.bin\n[User_Area_Partition]\nPartitionNumber=1\n"
                            "[Part_0]\nSize=-1\nUnitNumber=0\nType=NONE\n");
    fs::create_directory(s.workdir() / "UserAreaFirstSector");
    s.view.storageName = "eMMC";
    s.view.configUserArea = 1;
}
const std::string kNoFirstSectorCopy =
    "box Error Message: Cannot create @/UserAreaFirstSector. Make its folder writable or choose another working "
    "folder." + kNothingSent;

const OperationCase kCases[] = {
    {"RawImageMissing", Operation::RawWrite, sim::RecorderMode::Updater,
     [](test::SimRig& s) { s.view.rawPath = (s.workdir() / "flash.bin").string(); },
     {"box Error Message: Cannot find @/flash.bin. Put the file there or correct its name in the raw image field." +
          kNothingSent,
      "status: Open File Error! 100%"}},
    {"RawImageLargerThanTheFlash", Operation::RawWrite, sim::RecorderMode::Updater,
     [](test::SimRig& s) {
         writeSparse(s, "flash.bin", sim::kDefaultSerialFlashSectors * 512ull + 1);
         s.view.rawPath = (s.workdir() / "flash.bin").string();
     },
     {"box Error Message: @/flash.bin (16777217 bytes) does not fit the serial flash (16777216 bytes). Use a "
      "smaller file. The recorder was only identified, asked for its storage size and given its updater where it "
      "needed one; nothing on its storage was changed.",
      "status: FAILED 100%"}},
    {"UpdateWithoutRoomForItsFiles", Operation::FullUpdate, sim::RecorderMode::BootRom, userAreaWithoutItsFirstSectorCopy,
     {kNoFirstSectorCopy, "box Error Message: Error 0x0a: configure user area error !",
      test::statusLine(text::kRecorderReady, 0)}},
    {"UserAreaWithoutRoomForItsFiles", Operation::ConfigureUserArea, sim::RecorderMode::Updater,
     userAreaWithoutItsFirstSectorCopy,
     {kNoFirstSectorCopy, "box Error Message: Error 0x0a: configure user area error !",
      test::statusLine(text::kRecorderReady, 0)}},
    {"UpdaterLargerThanTheRecordersMemory", Operation::Sync, sim::RecorderMode::BootRom,
     [](test::SimRig& s) { writeSparse(s, "updater.bin", 16 * 1024 * 1024 + 19); },
     {"box Error Message: @/updater.bin (16777235 bytes) does not fit the recorder's memory (16777234 bytes). Use "
      "a smaller file." + kOnlyIdentified,
      "box Error Message: Error 0x03: Download updater.bin error !", test::statusLine(text::kRecorderReady, 0)}},
    {"MergeToolMissing", Operation::CreateSdImage, sim::RecorderMode::Updater,
     [](test::SimRig& s) {
         s.write("m1.bin", test::patternBytes(700, 1));
         s.write("m2.bin", test::patternBytes(900, 2));
         s.write("DiskInfo.ini", "[DEFAULT_FW]\nMBR=4\nnumber=2\nfile0=m1.bin\nfile1=m2.bin\n");
         s.view.firmwareNumber = "2";
         s.view.binPath = "out.bin";
         fs::remove(s.rig->toolsdir / "mergeimg");
     },
     {"box Error Message: The helper tool mergeimg was not found. Reinstall the program or put mergeimg in the "
      "working folder." + kNothingSent,
      "box Error Message: Error : SD_RoadVTemp.bin Combine MD5 Failed\n", test::statusLine(text::kProcessFailed, 100)}},
};

class PreflightOperations : public ::testing::TestWithParam<OperationCase> {};

TEST_P(PreflightOperations, TheProblemIsNamedBeforeAnythingIsWritten) {
    const OperationCase& c = GetParam();
    test::SimRig s({.mode = c.mode});
    c.arrange(s);
    EXPECT_EQ(s.run(c.op), 0u);
    Lines shown;
    std::string lastStatus;
    for (const auto& line : s.seen()) {
        if (line.starts_with("box")) shown.push_back(line);
        if (line.starts_with("status:")) lastStatus = line;
    }
    shown.push_back(lastStatus);
    Lines expected = c.expected;
    for (auto& line : expected)
        if (const auto at = line.find("@/"); at != std::string::npos) line.replace(at, 2, (s.workdir() / "").string());
    EXPECT_EQ(shown, expected);
    for (std::uint8_t code : s.vendorCodes()) EXPECT_TRUE(code != 0x02 && !test::changesRecorder(code)) << int(code);
    // A problem that says nothing was sent is found before the first command, the updater download's included.
    if (expected.front().ends_with(kNothingSent)) {
        EXPECT_EQ(s.sim->commandLog(), Lines{});
    }
    const auto image = s.workdir() / "SD_RoadVTemp.bin";
    EXPECT_EQ(fs::exists(image) ? fs::file_size(image) : 0, 0u);
}

INSTANTIATE_TEST_SUITE_P(, PreflightOperations, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ib
