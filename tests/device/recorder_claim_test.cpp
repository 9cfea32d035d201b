// One program at a time per recorder, as the command layer sees it: a recorder
// that another program has, or a volume the program lacks the rights to open,
// is named to the user (in place of finding no recorder) and sent nothing, and the
// recorder this program took stays taken while it leaves the bus and returns.
#include <gtest/gtest.h>

#include <map>

#include "device/usb_scsi_cmd.h"
#include "seams/administrator_rights.h"
#include "seams/recorder_lock.h"
#include "support/fake_environment.h"
#include "support/scripted_volumes.h"

namespace ib {
namespace {

// The boxes an operation shows when the volumes refuse to open for these reasons.
std::vector<std::string> boxesWhenRefused(std::map<char, std::string> refusals) {
    test::ScriptedVolumes volumes;
    volumes.refusals = std::move(refusals);
    test::ControllerRig rig{volumes};
    rig.view.storageName = "eMMC";
    EXPECT_EQ(rig.controller->run(Operation::ReadBootArea, rig.view), 0u);
    EXPECT_TRUE(volumes.sent.empty());
    std::vector<std::string> boxes;
    for (const auto& line : rig.port.take())
        if (line.starts_with("box")) boxes.push_back(line);
    return boxes;
}

TEST(RecorderClaim, ARecorderAnotherProgramHasOrMissingRightsAreNamedInsteadOfNoDevice) {
    const std::string inUse = recorderInUseMessage(4242);
    const std::string rights = administratorRightsMessage("drive F: refused access");
    const struct {
        std::map<char, std::string> refusals;
        std::string named;
    } rows[] = {
        {{{'D', "no volume at drive letter D"}, {'E', inUse}}, inUse},
        {{{'D', "no volume at drive letter D"}, {'F', rights}}, rights},
        {{{'D', rights}, {'E', inUse}, {'F', rights}}, inUse},
        {{{'D', "no volume at drive letter D"}}, "Error 0x02: No QUB device !"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(boxesWhenRefused(row.refusals), (std::vector<std::string>{"box Error Message: " + row.named}));
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
