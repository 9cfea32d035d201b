// One program at a time per recorder, as the command layer sees it: a recorder
// that another program has is named to the user and sent nothing, and the
// recorder this program took stays taken while it leaves the bus and returns.
#include <gtest/gtest.h>

#include "device/usb_scsi_cmd.h"
#include "seams/recorder_lock.h"
#include "support/fake_environment.h"
#include "support/scripted_volumes.h"

namespace ib {
namespace {

TEST(RecorderClaim, ARecorderAnotherProgramHasIsNamedBeforeNoDeviceAndSentNothing) {
    test::ScriptedVolumes volumes;
    volumes.refusals = {{'D', "no volume at drive letter D"}, {'E', recorderInUseMessage(4242)}};
    test::ControllerRig rig{volumes};
    rig.view.storageName = "eMMC";
    EXPECT_EQ(rig.controller->run(Operation::ReadBootArea, rig.view), 0u);
    std::vector<std::string> boxes;
    for (const auto& line : rig.port.take())
        if (line.starts_with("box")) boxes.push_back(line);
    EXPECT_EQ(boxes, (std::vector<std::string>{
                         "box Error Message: The recorder is in use by another program (pid 4242).",
                         "box Error Message: Error 0x02: No QUB device !"}));
    EXPECT_TRUE(volumes.sent.empty());
}

TEST(RecorderClaim, TheClaimOutlivesTheHandleUntilARecorderIsOpenedAgain) {
    test::ScriptedVolumes volumes;
    volumes.volumes['D'] = test::recorderVolume(0x01, test::bootRomIdentify());
    const std::shared_ptr<const void>& claim = volumes.claims['D'] = std::make_shared<int>(0);
    UsbScsiCmd cmd(volumes);
    ASSERT_EQ(cmd.Open(), 1u);
    EXPECT_EQ(claim.use_count(), 1);  // the handle's, which is the volume's own here

    cmd.Close();  // the updater starts and the recorder leaves the bus
    EXPECT_EQ(claim.use_count(), 2);
    volumes.volumes['D'].opens = false;
    EXPECT_EQ(cmd.Open(), 0u);
    EXPECT_EQ(claim.use_count(), 2);

    volumes.volumes['D'].opens = true;  // back, running its updater
    ASSERT_EQ(cmd.Open(), 1u);
    EXPECT_EQ(claim.use_count(), 1);
    EXPECT_EQ(cmd.openRefusal(), "");
}

}  // namespace
}  // namespace ib
