// The full update process against the simulated recorder: the status a user
// sees, what lands on the recorder, and every failure row with its clean-up
// and the closing command.
#include <gtest/gtest.h>

#include "bootarea/index_table_sector.h"
#include "device/text_format.h"
#include "support/sim_rig.h"
#include "operation/status_texts.h"

namespace ib {
namespace {

using test::patternBytes;
using test::statusLine;
using Lines = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kEndSession = 0xDD;

class FullUpdate : public ::testing::Test {
protected:
    explicit FullUpdate(sim::RecorderMode mode = sim::RecorderMode::Updater) : s({.mode = mode}) {
        s.write("updater.bin", patternBytes(3000, 9));
        s.write("a.bin", patternBytes(1000, 1));
        s.write("b.bin", patternBytes(513, 2));
        s.write("DiskInfo.ini", "[DEFAULT_FW]\nnumber=2\nfile0=a.bin\nfile1=b.bin\n");
        s.view.storageName = "eMMC";
        s.view.firmwareNumber = "2";
    }
    std::uint32_t update() { return s.run(Operation::FullUpdate); }
    std::uint8_t lastCode() { return s.vendorCodes().back(); }
    // The message box lines the user saw.
    Lines boxes() {
        Lines b;
        for (auto& l : s.seen())
            if (l.rfind("box", 0) == 0) b.push_back(l);
        return b;
    }
    // The commands the recorder logged from the last failed one on.
    Lines fromTheLastFailure() {
        const Lines log = s.sim->commandLog();
        const auto failed =
            std::find_if(log.rbegin(), log.rend(), [](const std::string& l) { return l.ends_with(" fail"); });
        return failed == log.rend() ? Lines{} : Lines(std::prev(failed.base()), log.end());
    }

    test::SimRig s;
    CImageBurnerDlg& c = *s.controller;
};

class FullUpdateFromBootRom : public FullUpdate {
protected:
    FullUpdateFromBootRom() : FullUpdate(sim::RecorderMode::BootRom) {}
};

TEST_F(FullUpdateFromBootRom, BurnsAndConfiguresAnEmmcRecorder) {
    s.write("DiskInfo.ini",
            "[DEFAULT_FW]\nnumber=2\nfile0=a.bin\nfile1=b.bin\n"
            "[User_Area_Partition]\nPartitionNumber=2\nAlignmentEnable=1\nAlignmentSize=64\nSDKeepCodeSize=128\n"
            "[Part_0]\nSize=auto\nUnitNumber=0\nType=RAW\nRawFileName=raw.bin\n"
            "[Part_1]\nSize=-1\nUnitNumber=1\nType=NONE\n");
    const std::string raw = patternBytes(70000, 5);
    s.write("raw.bin", raw);
    s.view.configUserArea = 1;

    ASSERT_EQ(update(), 1u);
    EXPECT_EQ(s.seen(), (Lines{"buttons: off", statusLine(text::kConnecting, 0),
                               statusLine(text::kDownloadAgent, 100), statusLine(text::kWaitForRecorder, 100),
                               "step: Start to download code .....",
                               "step: Update 1st sector partition setting .....", "step: Format user area .....",
                               "step: Start to configure user area .....", statusLine(text::kUserSettings2, 0),
                               statusLine(text::kUserSettings2, 93), "step: Burn-in Boot process done .....",
                               "buttons: on"}));
    // The recorder left and came back during the download: nothing was shown for it.
    EXPECT_EQ(c.m_keepStatusOnRemoval, 1);
    EXPECT_EQ(lastCode(), kEndSession);

    const auto table = IndexTableSector::fromBytes(s.area(2, 0, 0, 1));
    EXPECT_TRUE(table.isBurnt());
    EXPECT_EQ(table.entry(0).startSector, 1u);
    EXPECT_EQ(table.entry(1).startSector, 3u);
    EXPECT_EQ((std::array{table.entry(10).startSector, table.entry(10).sectorCount, table.entry(10).attributes}),
              (std::array{128u, 192u, 1u}));
    EXPECT_EQ((std::array{table.entry(11).startSector, table.entry(11).sectorCount}),
              (std::array{320u, 7'700'480u - 320u}));
    Bytes rawOnDevice(raw.begin(), raw.end());
    rawOnDevice.resize(137 * 512, 0xFF);
    EXPECT_EQ(s.area(2, 0, 128, 137), rawOnDevice);
    // eMMC's second copy in the boot area is the burn's: firmware entries only.
    const auto bootCopy = IndexTableSector::fromBytes(s.area(2, 1, 0, 1));
    EXPECT_EQ(bootCopy.entry(1).startSector, 3u);
    EXPECT_EQ(bootCopy.entry(10).sectorCount, 0u);
    Bytes firstSectorCopy(512);
    std::ifstream(s.workdir() / "UserAreaFirstSector", std::ios::binary)
        .read(reinterpret_cast<char*>(firstSectorCopy.data()), 512);
    EXPECT_EQ(firstSectorCopy, s.area(2, 0, 0, 1));
}

TEST_F(FullUpdate, AnUnknownStorageSendsNothing) {
    s.view.storageName = "emmc";
    EXPECT_EQ(update(), 0u);
    EXPECT_EQ(s.seen(), (Lines{"buttons: off", "box Error Message: Error 0x01: UI parameter error !", "buttons: on"}));
    EXPECT_EQ(s.vendorCodes(), (std::vector<std::uint8_t>{}));  // no handle yet: EndSession cannot go out
    EXPECT_EQ(c.m_keepStatusOnRemoval, 1);
}

TEST_F(FullUpdate, NoRecorder) {
    sim::Faults f;
    f.openFindsNothing = true;
    s.sim->setFaults(f);
    EXPECT_EQ(update(), 0u);
    EXPECT_EQ(boxes(), (Lines{"box Error Message: Error 0x02: No QUB device !"}));
}

TEST_F(FullUpdateFromBootRom, AFailedDownloadReEnablesEventsAfterTheRefresh) {
    std::filesystem::remove(s.workdir() / "updater.bin");
    EXPECT_EQ(update(), 0u);
    EXPECT_EQ(boxes(), (Lines{"box Error Message: Error 0x03: Download updater.bin error !"}));
    EXPECT_EQ(c.m_deviceEventsEnabled, 1);
    EXPECT_EQ(lastCode(), kEndSession);
}

TEST_F(FullUpdate, BootAreaPreparationFailures) {
    s.view.configBootArea = 1;
    s.view.changeBootSize = 1;
    s.sim->failNthCommand(VendorCode::SetBootSize, 1);
    EXPECT_EQ(update(), 0u);
    EXPECT_EQ(boxes(), (Lines{"box Error Message: Error 0x05: Change boot size error !"}));

    s.sim->failNthCommand(VendorCode::LowLevelFormat, 1);
    EXPECT_EQ(update(), 0u);
    EXPECT_EQ(boxes(), (Lines{"box Error Message: Error 0x06: Low level format boot area fail !"}));
    EXPECT_EQ(lastCode(), kEndSession);
}

TEST_F(FullUpdate, TheBootSizeIsChangedOnlyWithConfigureBootArea) {
    s.view.changeBootSize = 1;
    ASSERT_EQ(update(), 1u);
    EXPECT_EQ(s.sim->state().counters.bootSizeChanges, 0u);
    EXPECT_EQ(s.sim->state().counters.lowLevelFormats, 0u);

    s.view.configBootArea = 1;
    s.view.bootSize = "2";
    ASSERT_EQ(update(), 1u);
    EXPECT_EQ(s.sim->state().counters.bootSizeChanges, 1u);
    EXPECT_EQ(s.sim->state().counters.lowLevelFormats, 1u);
    const auto seen = s.seen();
    EXPECT_NE(std::find(seen.begin(), seen.end(), "step: change boot size ....."), seen.end());
}

TEST_F(FullUpdate, FirmwareNumbersOutsideOneToTenAreRefused) {
    for (const char* number : {"0", "11", "256", "abc"}) {
        s.view.firmwareNumber = number;
        EXPECT_EQ(update(), 0u) << number;
        EXPECT_EQ(boxes(), (Lines{"box Error Message: Error 0x14: firmware number error !"})) << number;
    }
    s.view.firmwareNumber = "257";  // counts as 1
    s.write("DiskInfo.ini", "[DEFAULT_FW]\nnumber=1\nfile0=a.bin\n");
    EXPECT_EQ(update(), 1u);
}

TEST_F(FullUpdate, ABurnFailureReselectsTheUserArea) {
    s.sim->failNthCommand(VendorCode::WriteSectors, 2);
    EXPECT_EQ(update(), 0u);
    EXPECT_EQ(boxes(), (Lines{"box Error Message: Error 0x07: Burn-in Firmware error !"}));
    const auto codes = s.vendorCodes();
    ASSERT_GE(codes.size(), 2u);
    EXPECT_EQ(codes[codes.size() - 2], 0x06);  // the user area selected again
    EXPECT_EQ(codes.back(), kEndSession);
    EXPECT_TRUE(s.sim->state().selection == std::nullopt);  // the session was closed
}

TEST_F(FullUpdate, UserAreaFailures) {
    s.view.configUserArea = 1;
    s.write("DiskInfo.ini", "[DEFAULT_FW]\nnumber=2\nfile0=a.bin\nfile1=b.bin\n"
                            "[User_Area_Partition]\nPartitionNumber=1\nSDKeepCodeSize=64\n"
                            "[Part_0]\nSize=8\nType=RAW\nRawFileName=r\n");
    s.write("r", "raw");
    // What follows the failed command: the user area selected again (eMMC,
    // area 0) except after a refused format, then the closing command.
    const std::string reselect = "fa556606020000000000000000000000 in 4 ok";
    const std::string endSession = "fa5566dd000000000000000000000000 none 0 ok";
    struct Case {
        VendorCode failing;
        std::uint32_t nth;
        const char* box;
        Lines afterTheFailure;
    };
    const Case cases[] = {
        // Writes: two images, the table, eMMC's copy; then the partition setting's table write.
        {VendorCode::WriteSectors, 5, "Error 0x10: Update 1st sector partition setting error !",
         {reselect, endSession}},
        {VendorCode::FormatUserArea, 1, "Error 0x0c: format user area error !", {endSession}},
        {VendorCode::WriteSectors, 6, "Error 0x0a: configure user area error !",  // the partition's content
         {reselect, endSession}},
    };
    for (const auto& k : cases) {
        s.sim->failNthCommand(k.failing, k.nth);
        EXPECT_EQ(update(), 0u) << k.box;
        EXPECT_EQ(boxes(), (Lines{std::string("box Error Message: ") + k.box}));
        const Lines tail = fromTheLastFailure();
        ASSERT_FALSE(tail.empty()) << k.box;
        EXPECT_EQ(tail[0].substr(6, 2), formatText("%02x", static_cast<unsigned>(k.failing))) << k.box;
        EXPECT_EQ(Lines(tail.begin() + 1, tail.end()), k.afterTheFailure) << k.box;
    }
}

TEST_F(FullUpdate, SerialFlashShowsItsVerdict) {
    s.view.storageName = "SIF";
    s.view.configUserArea = 0;
    c.m_mbrSector = 0;
    s.write("DiskInfo.ini", "[DEFAULT_FW]\nnumber=2\nfile0=a.bin\nfile1=b.bin\n");
    ASSERT_EQ(update(), 1u);
    EXPECT_EQ(c.statusState().text, text::kProcessSucceeded);
    EXPECT_EQ(c.statusState().doneColour, kGreen);

    s.sim->failNthCommand(VendorCode::WriteSectors, 1);
    EXPECT_EQ(update(), 0u);
    EXPECT_EQ(c.statusState().text, text::kProcessFailed);
    EXPECT_EQ(c.statusState().doneColour, kRed);
    EXPECT_EQ(lastCode(), kEndSession);
}

TEST_F(FullUpdateFromBootRom, ARecorderThatNeverComesBackFailsTheDownload) {
    sim::Faults f;
    f.staysAway = true;
    s.sim->setFaults(f);
    // Our recorder that never comes back fails the download (it is not reported as synced).
    EXPECT_EQ(update(), 0u);
    EXPECT_EQ(boxes(), (Lines{"box Error Message: Error 0x03: Download updater.bin error !"}));
}

}  // namespace
}  // namespace ib
