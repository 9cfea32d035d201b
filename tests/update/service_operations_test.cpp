// The service functions against the simulated recorder: register access,
// read-back, raw write and low-level format, with what the user sees.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "device/parse_number.h"
#include "support/fifo_sentinel.h"
#include "support/sim_rig.h"
#include "operation/status_texts.h"

namespace ib {
namespace {

using test::patternBytes;
using test::statusLine;
using Lines = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

std::string fileContent(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(ParseNumberRules, HexOnlyWithLowerCaseXAndDecimalOtherwise) {
    EXPECT_EQ(ParseNumber("0x80008C00"), 0x80008C00u);
    EXPECT_EQ(ParseNumber("010"), 10u);
    EXPECT_EQ(ParseNumber("0X10"), 0u);
    EXPECT_EQ(ParseNumber("4096"), 4096u);
    EXPECT_EQ(ParseNumber("  77 trailing"), 77u);
    EXPECT_EQ(ParseNumber(""), std::nullopt);
    EXPECT_EQ(ParseNumber("abc"), std::nullopt);
}

class Registers : public ::testing::Test {
protected:
    test::SimRig s{{.mode = sim::RecorderMode::BootRom}};
    CImageBurnerDlg& c = *s.controller;
};

TEST_F(Registers, WriteKeepsTheLowByteAndReadShowsItInHex) {
    s.view.writeRegAddr = "0x80008C00";
    s.view.writeRegValue = "0x1FF";
    ASSERT_EQ(s.run(Operation::WriteRegister), 1u);
    s.view.readRegAddr = "2147519488";  // the same address in decimal
    ASSERT_EQ(s.run(Operation::ReadRegister), 1u);
    EXPECT_EQ(c.m_readRegValue, "0xff");
    EXPECT_EQ(s.rig->port.shownValues.readRegValue, "0xff");
    EXPECT_EQ(s.seen(), (Lines{statusLine(text::kConnecting, 0), "step: Start to write register .....",
                               "step: Write register done .....", statusLine(text::kConnecting, 0),
                               "step: Start to read register .....", "values shown",
                               "step: Read register done ....."}));

    s.view.writeRegValue = "300";
    ASSERT_EQ(s.run(Operation::WriteRegister), 1u);
    ASSERT_EQ(s.run(Operation::ReadRegister), 1u);
    EXPECT_EQ(c.m_readRegValue, "0x2c");
    s.view.readRegAddr = "0x1234";
    ASSERT_EQ(s.run(Operation::ReadRegister), 1u);
    EXPECT_EQ(c.m_readRegValue, "0x0");
}

TEST_F(Registers, TextWithoutANumberSendsNoRegisterCommand) {
    s.view.writeRegAddr = "address";
    EXPECT_EQ(s.run(Operation::WriteRegister), 0u);
    EXPECT_EQ(s.seen().back(), "box Error Message: Error : invalid number address");
    for (auto code : s.vendorCodes()) EXPECT_NE(code, 0x05);
}

TEST_F(Registers, AFailedReadKeepsTheShownValue) {
    s.sim->failNthCommand(VendorCode::ReadRegister, 1);
    EXPECT_EQ(s.run(Operation::ReadRegister), 0u);
    EXPECT_EQ(c.m_readRegValue, "0x00");
    EXPECT_EQ(s.seen()[2], "box Error Message: Error 0x010: Read register fail!");
}

TEST_F(Registers, AFailedWriteIsToldAfterTheOneWriteCommand) {
    s.sim->failNthCommand(VendorCode::WriteRegister, 1);
    EXPECT_EQ(s.run(Operation::WriteRegister), 0u);
    EXPECT_EQ(s.seen(), (Lines{statusLine(text::kConnecting, 0), "step: Start to write register .....",
                               "box Error Message: Error 0x011: Write register fail!",
                               statusLine(text::kRecorderReady, 0), "buttons: on"}));
    EXPECT_EQ(s.vendorCodes(), (std::vector<std::uint8_t>{0x01, 0x05}));
}

class ReadBack : public ::testing::Test {
protected:
    ReadBack() {
        s.view.storageName = "eMMC";
        data = patternBytes(400 * 512, 4);
        s.sim->writeArea(sim::AreaId{2, 1}, 0, Bytes(data.begin(), data.end()));
    }
    test::SimRig s;
    std::string data;
};

TEST_F(ReadBack, ReadsInPiecesOf128AndSelectsTheUserAreaAgain) {
    s.view.bootReadAddr = "0";
    s.view.bootReadSize = "300";
    ASSERT_EQ(s.run(Operation::ReadBootArea), 1u);
    const auto out = s.workdir() / "BootArea.bin";
    EXPECT_EQ(fileContent(out), data.substr(0, 153600));
    const auto log = s.sim->commandLog();
    std::vector<std::string> reads;
    for (const auto& l : log)
        if (l.rfind("fa556607", 0) == 0) reads.push_back(l.substr(16, 4));
    EXPECT_EQ(reads, (std::vector<std::string>{"0080", "0080", "002c"}));
    EXPECT_EQ(s.vendorCodes().back(), 0x06);
    EXPECT_EQ(s.sim->state().selection->area, 0);
    EXPECT_EQ(s.seen().back(), "step: OK, Read to " + out.string());
}

TEST_F(ReadBack, ARangePastTheEndIsClampedAndShown) {
    sim::AreaSizes sizes = sim::defaultAreaSizes();
    sizes[2][1] = 100;
    test::SimRig small({.areaSectors = sizes});
    small.view.storageName = "eMMC";
    small.view.bootReadAddr = "90";
    small.view.bootReadSize = "4294967295";  // first + count passes 32 bits
    ASSERT_EQ(small.run(Operation::ReadBootArea), 1u);
    EXPECT_EQ(small.controller->m_bootReadSize, 10u);
    EXPECT_EQ(small.rig->port.shownValues.bootReadSize, "10");
    EXPECT_EQ(std::filesystem::file_size(small.workdir() / "BootArea.bin"), 10u * 512);

    small.view.bootReadAddr = "101";
    small.view.bootReadSize = "1";
    EXPECT_EQ(small.run(Operation::ReadBootArea), 0u);
    const auto seen = small.seen();
    EXPECT_EQ(seen.back(), "box Error Message: Error : sector 101 lies beyond the end of the area (100 sectors) !");
}

TEST_F(ReadBack, CountZeroGivesAnEmptyFile) {
    s.view.userReadSize = "0";
    s.write("UserArea.bin", "old content");
    ASSERT_EQ(s.run(Operation::ReadUserArea), 1u);
    EXPECT_EQ(std::filesystem::file_size(s.workdir() / "UserArea.bin"), 0u);
}

TEST_F(ReadBack, ABootRomRecorderIsRefusedWithoutSelectingAnything) {
    test::SimRig boot({.mode = sim::RecorderMode::BootRom});
    boot.view.storageName = "eMMC";
    EXPECT_EQ(boot.run(Operation::ReadUserArea), 0u);
    EXPECT_EQ(boot.vendorCodes(), (std::vector<std::uint8_t>{0x01}));
    EXPECT_EQ(boot.seen()[1], "box Error Message: Error 0x03: Please Sync Device first !");
}

TEST_F(ReadBack, AFailedReadSaysSoAndLeavesTheEarlierFileWhole) {
    s.view.bootReadSize = "300";
    s.write("BootArea.bin", "earlier read");
    s.sim->failNthCommand(VendorCode::ReadSectors, 2);
    EXPECT_EQ(s.run(Operation::ReadBootArea), 0u);
    EXPECT_EQ(s.seen().back(), "step: FAILED, read stopped at sector 128 after 128 sectors");
    EXPECT_EQ(fileContent(s.workdir() / "BootArea.bin"), "earlier read");
    const auto entries = std::filesystem::directory_iterator(s.workdir());
    EXPECT_EQ(std::count_if(begin(entries), end(entries), [](const auto& e) { return e.path().filename().string()[0] == '.'; }), 0)
        << "no temporary file left";
}

class RawWrite : public ::testing::Test {
protected:
    std::vector<std::string> writes() {
        std::vector<std::string> w;
        for (const auto& l : s.sim->commandLog())
            if (l.rfind("fa556608", 0) == 0) w.push_back(l.substr(8, 12));
        return w;
    }
    test::SimRig s;
};

TEST_F(RawWrite, PiecesOf8SectorsGoToTheSerialFlashWhateverTheStorageBox) {
    const std::string image = patternBytes(8192, 6);
    s.write("flash.bin", image);
    s.view.storageName = "eMMC";
    s.view.rawPath = (s.workdir() / "flash.bin").string();
    ASSERT_EQ(s.run(Operation::RawWrite), 1u);
    EXPECT_EQ(writes(), (std::vector<std::string>{"000000000008", "000000080008"}));
    EXPECT_EQ(s.area(3, 0, 0, 16), Bytes(image.begin(), image.end()));
    EXPECT_EQ(s.seen(), (Lines{statusLine(text::kConnecting, 0), "buttons: off", "status: Write RAW... 50%",
                               "status: Write RAW... 100%", "status: SUCCESS 100%", "buttons: on"}));
}

TEST_F(RawWrite, APartialLastPieceIsRoundedUpToWholeSectors) {
    s.write("flash.bin", patternBytes(5000, 7));
    s.view.rawPath = (s.workdir() / "flash.bin").string();
    ASSERT_EQ(s.run(Operation::RawWrite), 1u);
    EXPECT_EQ(writes(), (std::vector<std::string>{"000000000008", "000000080002"}));
}

TEST_F(RawWrite, AnEmptyOrTinyFile) {
    s.write("empty.bin", "");
    s.view.rawPath = (s.workdir() / "empty.bin").string();
    ASSERT_EQ(s.run(Operation::RawWrite), 1u);
    EXPECT_TRUE(writes().empty());
    s.seen();
    s.write("tiny.bin", "tiny");
    s.view.rawPath = (s.workdir() / "tiny.bin").string();
    ASSERT_EQ(s.run(Operation::RawWrite), 1u);
    const auto seen = s.seen();
    EXPECT_EQ(seen[seen.size() - 3], "status: Write RAW... 100%");
}

TEST_F(RawWrite, AnyFailedWriteEndsInFailed) {
    // The failure hits the last, partial piece: of 2 sectors for 5000 bytes, of
    // under one sector for 4196 bytes, where the sectors written reach the
    // whole sectors of the file all the same.
    for (std::size_t length : {5000u, 4196u}) {
        s.write("flash.bin", patternBytes(length, 7));
        s.view.rawPath = (s.workdir() / "flash.bin").string();
        s.sim->failNthCommand(VendorCode::WriteSectors, 2);
        EXPECT_EQ(s.run(Operation::RawWrite), 0u) << length;
        const auto seen = s.seen();
        EXPECT_EQ(seen[seen.size() - 2], "status: FAILED 100%") << length;
    }
}

TEST_F(RawWrite, AnEmptyPathAsksAndRemembersTheChoice) {
    s.write("flash.bin", "abc");
    s.rig->port.answers = {(s.workdir() / "flash.bin").string()};
    ASSERT_EQ(s.run(Operation::RawWrite), 1u);
    ASSERT_EQ(s.rig->port.choosers.size(), 1u);
    EXPECT_EQ(s.rig->port.choosers[0].title, "Open RAW File");
    EXPECT_EQ(s.rig->profile.values["QUBImageBurner/raw_path"], (s.workdir() / "flash.bin").string());

    s.view.rawPath = "";
    s.rig->port.answers.clear();
    EXPECT_EQ(s.run(Operation::RawWrite), 0u);
    EXPECT_EQ(s.controller->statusState().text, "Open File Error!");
}

TEST_F(RawWrite, AFileThatIsNotRegularDoesNotOpen) {
    test::FifoSentinel pipe(s.workdir() / "pipe.bin");
    std::filesystem::create_directory(s.workdir() / "folder.bin");
    for (const char* name : {"pipe.bin", "folder.bin"}) {
        s.view.rawPath = (s.workdir() / name).string();
        EXPECT_EQ(s.run(Operation::RawWrite), 0u) << name;
        EXPECT_EQ(s.controller->statusState().text, "Open File Error!") << name;
    }
    EXPECT_TRUE(writes().empty());
    EXPECT_FALSE(pipe.wasOpened());
}

TEST(LowLevelFormat, FormatsInBothModesAndNamesNand) {
    for (auto mode : {sim::RecorderMode::Updater, sim::RecorderMode::BootRom}) {
        test::SimRig s({.mode = mode});
        s.write("updater.bin", "updater");
        s.view.storageName = "SIF";
        ASSERT_EQ(s.run(Operation::LowLevelFormat), 1u);
        const auto seen = s.seen();
        EXPECT_EQ(seen[seen.size() - 2], "step: QUB_LowLevelFormat for NAND");
        EXPECT_EQ(seen.back(), "step: QUB_LowLevelFormat for NAND done .....");
        EXPECT_EQ(s.sim->state().counters.lowLevelFormats, 1u);
        EXPECT_EQ(s.clock.totalSleptMs() >= 2000, true);
    }
}

TEST(LowLevelFormat, EachStopIsToldAfterTheCommandsItGotTo) {
    struct Case {
        const char* story;
        sim::RecorderMode mode;
        std::string storage;
        bool openFindsNothing;
        std::uint32_t formatFailsAt;  // 0: the format succeeds
        Lines told;
        std::vector<std::uint8_t> sent;
    };
    const std::string ready = statusLine(text::kRecorderReady, 0);
    const Case cases[] = {
        {"unknown storage", sim::RecorderMode::Updater, "emmc", false, 0,
         {"box Error Message: Error 0x01: UI parameter error !", "buttons: on"}, {}},
        {"no recorder", sim::RecorderMode::Updater, "eMMC", true, 0,
         {statusLine(text::kConnecting, 0), "box Error Message: Error 0x02: No QUB device !", ready, "buttons: on"},
         {}},
        {"no updater", sim::RecorderMode::BootRom, "eMMC", false, 0,
         {statusLine(text::kConnecting, 0), "step: download the updater.bin .....", "choose open: ",
          "box Error Message: Error 0x03: Download updater.bin error !", ready, "buttons: on"},
         {0x01}},
        {"format refused", sim::RecorderMode::Updater, "eMMC", false, 1,
         {statusLine(text::kConnecting, 0), "step: QUB_LowLevelFormat for NAND",
          "box Error Message: Error : QUB_LowLevelFormaterror !", ready, "buttons: on"},
         {0x01, 0x0D}},
    };
    for (const auto& k : cases) {
        test::SimRig s({.mode = k.mode});
        s.view.storageName = k.storage;
        sim::Faults faults;
        faults.openFindsNothing = k.openFindsNothing;
        s.sim->setFaults(faults);
        if (k.formatFailsAt) s.sim->failNthCommand(VendorCode::LowLevelFormat, k.formatFailsAt);
        EXPECT_EQ(s.run(Operation::LowLevelFormat), 0u) << k.story;
        EXPECT_EQ(s.seen(), k.told) << k.story;
        EXPECT_EQ(s.vendorCodes(), k.sent) << k.story;
        EXPECT_EQ(s.sim->state().counters.lowLevelFormats, 0u) << k.story;
    }
}

}  // namespace
}  // namespace ib
