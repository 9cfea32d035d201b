// How the recorder's presence reaches the user: the ID table, the presence
// check, notification registration and every branch of the device-change handler.
#include <gtest/gtest.h>

#include "device/recorder_discovery.h"
#include "support/fake_environment.h"
#include "support/scripted_volumes.h"
#include "operation/status_texts.h"

namespace ib {
namespace {

using test::statusLine;
using Lines = std::vector<std::string>;

const std::string kDiskGuid = "#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";

TEST(RecorderIds, FindRecorderIsCaseSensitiveAndTheFirstDeviceWins) {
    test::FakeUsbStorage devices;
    auto find = [&](std::vector<std::optional<std::string>> ids) {
        devices.list = {true, std::move(ids), {}};
        return FindRecorder(devices, {});
    };
    EXPECT_EQ(find({"USBSTOR\\DISK&VEN_QUB&PROD_USB_BOOT_ROM&REV_1.00\\1&0"}), 1);
    EXPECT_EQ(find({"USBSTOR\\DISK&VEN_TB715KWN&PROD_STORAGE&REV_2\\x"}), 4);
    EXPECT_EQ(find({"USBSTOR\\DISK&VEN_TB715KWN&PROD_STORAGE\\x", "USBSTOR\\DISK&VEN_QUB&PROD_USB_BOOT_ROM\\y"}), 4);
    EXPECT_EQ(find({"USBSTOR\\DISK&VEN_&PROD_CARD_READER&REV_\\z"}), 3);
    EXPECT_EQ(find({"usbstor\\disk&ven_qub&prod_card_reader\\z"}), 0);
    EXPECT_EQ(find({"USBSTOR\\DISK&VEN_KINGSTON&PROD_DT\\1"}), 0);
    devices.list.available = false;
    EXPECT_EQ(FindRecorder(devices, {}), 0);

    int unreadable = 0;
    devices.list = {true, {std::nullopt, "USBSTOR\\DISK&VEN_QUB&PROD_CARD_READER\\z"}, {}};
    EXPECT_EQ(FindRecorder(devices, [&] { ++unreadable; }), 0);
    EXPECT_EQ(unreadable, 1);
}

TEST(RecorderIds, MatchDeviceNameIgnoresCase) {
    EXPECT_EQ(MatchDeviceName("USBSTOR#Disk&Ven_Qub&Prod_Card_Reader#1"), 1);
    EXPECT_EQ(MatchDeviceName("x VEN_QUB&PROD_USB_BOOT_ROM VEN_QUB&PROD_CARD_READER"), 0);
    EXPECT_EQ(MatchDeviceName("HID#VID_046D&PID_C52B"), -1);
}

class Presence : public ::testing::Test {
protected:
    Presence() { rig.fakeDevices.list = {true, {}, {}}; }
    void recorderAttached(bool yes) {
        rig.fakeDevices.list.instanceIds.clear();
        if (yes) rig.fakeDevices.list.instanceIds.push_back("USBSTOR\\DISK&VEN_QUB&PROD_CARD_READER&REV_1.00\\S&0");
    }
    void fire(std::uint32_t type, const std::string& name) { rig.fakeEvents.fire(type, name); }

    test::ScriptedVolumes volumes;
    test::ControllerRig rig{volumes};
    CImageBurnerDlg& c = *rig.controller;
};

TEST_F(Presence, RefreshShowsReadyOrNotFoundAndSetsTheButtons) {
    recorderAttached(true);
    c.refreshDevicePresence();
    recorderAttached(false);
    c.refreshDevicePresence();
    EXPECT_EQ(rig.port.take(), (Lines{statusLine(text::kRecorderReady, 0), "buttons: on",
                                      statusLine(text::kRecorderNotFound, 0), "buttons: off"}));
    EXPECT_EQ(c.statusState().textColour, kGreen);
    EXPECT_EQ(c.statusState().doneColour, kGrey);

    rig.fakeDevices.list.instanceIds = {std::nullopt};
    c.refreshDevicePresence();
    EXPECT_EQ(rig.port.take(), (Lines{"box Error Message: Error SetupDiGetDeviceInstanceId",
                                      statusLine(text::kRecorderNotFound, 0), "buttons: off"}));
}

TEST_F(Presence, RegistrationCoversFourClassesAndStopsAtARefusal) {
    ASSERT_TRUE(c.registerDeviceNotifications());
    EXPECT_EQ(rig.fakeEvents.registered, (std::vector<InterfaceClass>{InterfaceClass::UsbDevice, InterfaceClass::Disk,
                                                                      InterfaceClass::Hid, InterfaceClass::NdisLan}));
    test::ControllerRig refused{volumes};
    refused.fakeEvents.refuseAt = 2;
    EXPECT_FALSE(refused.controller->registerDeviceNotifications());
    EXPECT_EQ(refused.port.take(), (Lines{"box Error Message: Can't register device notification"}));
    EXPECT_FALSE(refused.fakeEvents.sink);
}

TEST_F(Presence, ArrivalAndRemovalOfTheRecorderSwitchTheStatus) {
    ASSERT_TRUE(c.registerDeviceNotifications());
    fire(kDeviceArrival, "\\\\?\\USBSTOR#Disk&Ven_qub&Prod_Card_Reader#S&0" + kDiskGuid);
    fire(kDeviceRemoveComplete, "\\\\?\\USBSTOR#DISK&VEN_QUB&PROD_CARD_READER#S&0" + kDiskGuid);
    EXPECT_EQ(rig.port.take(), (Lines{"buttons: on", statusLine(text::kRecorderReady, 0), "buttons: off",
                                      statusLine(text::kRecorderNotFound, 0)}));
}

TEST_F(Presence, OtherDevicesEventsAndDeviceTypesChangeNothing) {
    ASSERT_TRUE(c.registerDeviceNotifications());
    fire(kDeviceArrival, "\\\\?\\HID#VID_046D&PID_C52B#7&1#{4d1e55b2-f16f-11cf-88cb-001111000030}");
    fire(kDeviceArrival, "\\\\?\\PCI#VEN_8086#3#{ad498944-762f-11d0-8dcb-00c04fc3358c}");
    fire(0x8003, "\\\\?\\USBSTOR#DISK&VEN_QUB&PROD_CARD_READER#S&0" + kDiskGuid);
    DeviceEvent handle{kDeviceArrival, 6, "\\\\?\\USBSTOR#DISK&VEN_QUB&PROD_CARD_READER#S&0"};
    EXPECT_EQ(c.onDeviceChange(handle.eventType, &handle), 0);
    EXPECT_EQ(c.onDeviceChange(kDeviceArrival, nullptr), 0);
    // The match starts at the fifth character: a recorder ID in the prefix does not count.
    fire(kDeviceArrival, "VEN_QUB&PROD_USB_BOOT_ROM");
    EXPECT_TRUE(rig.port.take().empty());
}

TEST_F(Presence, TheRemovalAfterAnUpdateKeepsTheStatusOnce) {
    ASSERT_TRUE(c.registerDeviceNotifications());
    const std::string recorder = "\\\\?\\USBSTOR#DISK&VEN_QUB&PROD_CARD_READER#S&0" + kDiskGuid;
    c.m_keepStatusOnRemoval = 1;
    fire(kDeviceRemoveComplete, recorder);
    EXPECT_EQ(rig.port.take(), (Lines{"buttons: off"}));
    EXPECT_EQ(c.m_keepStatusOnRemoval, 0);
    fire(kDeviceArrival, recorder);
    fire(kDeviceRemoveComplete, recorder);
    EXPECT_EQ(rig.port.take(), (Lines{"buttons: on", statusLine(text::kRecorderReady, 0), "buttons: off",
                                      statusLine(text::kRecorderNotFound, 0)}));
}

TEST_F(Presence, EventsAreIgnoredWhileDisabledAndTheKeepFlagSurvives) {
    ASSERT_TRUE(c.registerDeviceNotifications());
    c.m_keepStatusOnRemoval = 1;
    c.setDeviceEventsEnabled(0);
    fire(kDeviceRemoveComplete, "\\\\?\\USBSTOR#DISK&VEN_QUB&PROD_CARD_READER#S&0" + kDiskGuid);
    EXPECT_TRUE(rig.port.take().empty());
    EXPECT_EQ(c.m_keepStatusOnRemoval, 1);
}

}  // namespace
}  // namespace ib
