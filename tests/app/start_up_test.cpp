// The main window's start-up: the configuration presets the controls, a
// missing file gives the defaults, the freeze locks controls, the profile
// restores the two paths, and a refused registration ends it early.
#include <gtest/gtest.h>

#include "support/fake_environment.h"
#include "support/scripted_volumes.h"
#include "operation/status_texts.h"

namespace ib {
namespace {

using Lines = std::vector<std::string>;

class StartUp : public ::testing::Test {
protected:
    test::ScriptedVolumes volumes;
    test::ControllerRig rig{volumes};
    CImageBurnerDlg& c = *rig.controller;
    DialogValues view;
};

TEST_F(StartUp, WithoutDiskInfoTheDefaultsApply) {
    ASSERT_TRUE(c.startUp(view));
    EXPECT_EQ(view.storageName, "eMMC");
    EXPECT_EQ(view.firmwareNumber, "2");
    EXPECT_EQ(view.configUserArea, 1);
    EXPECT_EQ(c.m_mbrSector, 0u);
    EXPECT_EQ(c.m_iniPath, (rig.workdir / "DiskInfo.ini").string());
    EXPECT_EQ(rig.port.take(), (Lines{test::statusLine(text::kRecorderNotFound, 0), "buttons: off"}));
}

TEST_F(StartUp, TheConfigurationPresetsTheControls) {
    rig.workdir.write("DiskInfo.ini",
                      "[UI_SETTING]\nMedia=3\nNumberOfFirmware=11\nConfigUserArea=0\n[DEFAULT_FW]\nMBR=2048\n");
    ASSERT_TRUE(c.startUp(view));
    EXPECT_EQ(view.storageName, "SIF");
    EXPECT_EQ(view.firmwareNumber, "");  // the empty eleventh entry
    EXPECT_EQ(view.configUserArea, 0);
    EXPECT_EQ(c.m_mbrSector, 2048u);
}

TEST_F(StartUp, SelectionsOutsideTheListsLeaveTheBoxesEmpty) {
    rig.workdir.write("DiskInfo.ini", "[UI_SETTING]\nMedia=7\nNumberOfFirmware=0\n");
    ASSERT_TRUE(c.startUp(view));
    EXPECT_EQ(view.storageName, "");
    EXPECT_EQ(view.firmwareNumber, "");
}

TEST_F(StartUp, FreezeLocksTheEightControlsBeforeThePresenceCheck) {
    rig.workdir.write("DiskInfo.ini", "[UI_SETTING]\nFreezeUI=1\n");
    rig.fakeDevices.list.instanceIds = {"USBSTOR\\DISK&VEN_QUB&PROD_CARD_READER&REV_1.00\\S&0"};
    ASSERT_TRUE(c.startUp(view));
    EXPECT_EQ(rig.port.take(),
              (Lines{"control 1014: off", "control 1022: off", "control 1021: off", "control 1020: off",
                     "control 1005: off", "control 1008: off", "control 1012: off", "control 1025: off",
                     test::statusLine(text::kRecorderReady, 0), "buttons: on"}));
}

TEST_F(StartUp, AUtf8MarkThatHidesTheFirstSectionIsReported) {
    rig.workdir.write("DiskInfo.ini", "\xEF\xBB\xBF[UI_SETTING]\r\nNumberOfFirmware=3\r\n");
    ASSERT_TRUE(c.startUp(view));
    EXPECT_EQ(view.firmwareNumber, "2") << "the section stays unread, as on Windows";
    EXPECT_EQ(rig.port.take(),
              (Lines{test::statusLine(text::kRecorderNotFound, 0), "buttons: off",
                     "warning: " + c.m_iniPath +
                         " starts with a UTF-8 byte-order mark: section [UI_SETTING] is not read and its keys "
                         "take their defaults. Save the file without the mark."}));
}

TEST_F(StartUp, RememberedPathsAreRestored) {
    rig.profile.values["QUBImageBurner/raw_path"] = "/images/flash.bin";
    ASSERT_TRUE(c.startUp(view));
    EXPECT_EQ(view.rawPath, "/images/flash.bin");
    EXPECT_EQ(view.binPath, "");
}

TEST_F(StartUp, ARefusedRegistrationEndsItWithoutPresenceOrPaths) {
    rig.fakeEvents.refuseAt = 0;
    rig.profile.values["QUBImageBurner/raw_path"] = "/images/flash.bin";
    EXPECT_FALSE(c.startUp(view));
    EXPECT_EQ(view.rawPath, "");
    EXPECT_EQ(rig.port.take(), (Lines{"box Error Message: Can't register device notification"}));
}

}  // namespace
}  // namespace ib
