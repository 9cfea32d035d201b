// The host's drive-letter scan (UsbScsiCmd::Open) against the simulated bus:
// which volume wins, which commands each volume sees, and how the recorder
// introduces itself in each mode.
#include <gtest/gtest.h>

#include "device/usb_scsi_cmd.h"
#include "sim/simulator.h"
#include "sim_test_support.h"

namespace ib::sim::test {
namespace {

const std::string kInquiryLine = "120000002400 in 36 ok";
const std::string kIdentifyLine = "fa556601000000000000000000000000 in 16 ok";

RecorderState withDecoys(bool notOpening, bool format2, bool identifyFails) {
    RecorderState state;
    state.faults.decoyNotOpening = notOpening;
    state.faults.decoyInquiryFormat2 = format2;
    state.faults.decoyIdentifyFails = identifyFails;
    return state;
}

TEST(OpenScan, FindsTheRecorderAtDInEitherMode) {
    ManualClock clock;
    auto bootRom = Simulator::inMemory(RecorderState{}, clock);
    UsbScsiCmd cmd(bootRom->volumes());
    ASSERT_EQ(cmd.Open(), 1u);
    EXPECT_EQ(cmd.GetMode(), kModeBootRom);
    EXPECT_EQ(bootRom->commandLog(), (std::vector<std::string>{kInquiryLine, kIdentifyLine}));
    EXPECT_EQ(bootRom->volumes().volumeName('D'), "simulated recorder (boot ROM)");
    EXPECT_EQ(bootRom->volumes().openVolume('E'), nullptr);

    RecorderState updaterState;
    updaterState.mode = RecorderMode::Updater;
    auto updater = Simulator::inMemory(updaterState, clock);
    UsbScsiCmd cmd2(updater->volumes());
    ASSERT_EQ(cmd2.Open(), 1u);
    EXPECT_EQ(cmd2.GetMode(), kModeUpdater);
}

TEST(OpenScan, InquiryTellsVendorProductAndModeOfTheRecorder) {
    ManualClock clock;
    auto sim = Simulator::inMemory(RecorderState{}, clock);
    auto inquire = [&] {
        auto volume = sim->volumes().openVolume('D');
        const std::uint8_t cdb[6] = {0x12, 0, 0, 0, 36, 0};
        std::vector<std::uint8_t> data(36);
        const ScsiOutcome outcome = volume->send({cdb, DataDirection::In, data, 2});
        EXPECT_TRUE(outcome.completed);
        EXPECT_EQ(outcome.transferred, 36u);
        return data;
    };
    auto data = inquire();
    EXPECT_EQ(data[0], 0x00);
    EXPECT_EQ(data[1], 0x80);  // removable
    EXPECT_EQ(data[3], 0x01);
    EXPECT_EQ(std::string(data.begin() + 8, data.end()), "QUB     USB_BOOT_ROM    1.00");

    // After the updater starts the product changes.
    UsbScsiCmd cmd(sim->volumes());
    ASSERT_EQ(cmd.Open(), 1u);
    ASSERT_EQ(cmd.Download(1, pattern(1, 1)), 1u);
    ASSERT_EQ(cmd.StartDownloaded(), 1u);
    clock.advanceMs(kDefaultRestartDelayMs);
    data = inquire();
    EXPECT_EQ(std::string(data.begin() + 8, data.end()), "QUB     CARD_READER     1.00");
}

TEST(OpenScan, SkipsAVolumeThatDoesNotOpenAndTakesTheRecorderAtE) {
    ManualClock clock;
    auto sim = Simulator::inMemory(withDecoys(true, false, false), clock);
    std::string why;
    EXPECT_EQ(sim->volumes().openVolume('D', &why), nullptr);
    EXPECT_EQ(why, "access denied");
    EXPECT_EQ(sim->volumes().volumeName('E'), "simulated recorder (boot ROM)");

    UsbScsiCmd cmd(sim->volumes());
    ASSERT_EQ(cmd.Open(), 1u);
    EXPECT_EQ(cmd.GetMode(), kModeBootRom);
}

TEST(OpenScan, ADiskWithInquiryFormat2IsSkippedWithoutIdentify) {
    ManualClock clock;
    auto sim = Simulator::inMemory(withDecoys(false, true, false), clock);
    UsbScsiCmd cmd(sim->volumes());
    ASSERT_EQ(cmd.Open(), 1u);
    EXPECT_EQ(sim->decoyCommandLog(DecoyKind::InquiryFormat2), std::vector<std::string>{kInquiryLine});
    EXPECT_EQ(sim->commandLog(), (std::vector<std::string>{kInquiryLine, kIdentifyLine}));
}

TEST(OpenScan, ADiskThatFailsIdentifyIsRejected) {
    ManualClock clock;
    auto sim = Simulator::inMemory(withDecoys(false, false, true), clock);
    UsbScsiCmd cmd(sim->volumes());
    ASSERT_EQ(cmd.Open(), 1u);
    EXPECT_EQ(cmd.GetMode(), kModeBootRom);
    EXPECT_EQ(sim->decoyCommandLog(DecoyKind::IdentifyFails),
              (std::vector<std::string>{kInquiryLine, "fa556601000000000000000000000000 in 16 fail"}));
    EXPECT_EQ(sim->commandLog().size(), 2u);
}

TEST(OpenScan, AllDecoysInOrderPutTheRecorderAtG) {
    ManualClock clock;
    auto sim = Simulator::inMemory(withDecoys(true, true, true), clock);
    EXPECT_EQ(sim->volumes().volumeName('D'), "simulated disk that does not open");
    EXPECT_EQ(sim->volumes().volumeName('E'), "simulated disk with INQUIRY format 2");
    EXPECT_EQ(sim->volumes().volumeName('F'), "simulated disk that fails Identify");
    EXPECT_EQ(sim->volumes().volumeName('G'), "simulated recorder (boot ROM)");
    UsbScsiCmd cmd(sim->volumes());
    ASSERT_EQ(cmd.Open(), 1u);
    EXPECT_EQ(cmd.GetMode(), kModeBootRom);
}

TEST(OpenScan, ARecorderWhoseVolumeDoesNotOpenIsListedButNotFound) {
    ManualClock clock;
    RecorderState state;
    state.faults.openFindsNothing = true;
    auto sim = Simulator::inMemory(state, clock);
    UsbScsiCmd cmd(sim->volumes());
    EXPECT_EQ(cmd.Open(), 0u);
    EXPECT_EQ(cmd.GetMode(), kModeNone);
    EXPECT_TRUE(sim->commandLog().empty());
    const UsbStorageList list = sim->enumerator().presentDevices();
    ASSERT_EQ(list.instanceIds.size(), 1u);
    EXPECT_EQ(*list.instanceIds[0], "USBSTOR\\DISK&VEN_QUB&PROD_USB_BOOT_ROM&REV_1.00\\SIM0001&0");
}

}  // namespace
}  // namespace ib::sim::test
