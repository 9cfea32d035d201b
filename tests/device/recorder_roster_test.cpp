// The recorders present, one per USB port, named by port and serial, and the
// patterns that choose among them.
#include <gtest/gtest.h>

#include "device/recorder_roster.h"
#include "seams/recorder_lock.h"
#include "support/fake_environment.h"
#include "support/scripted_volumes.h"

namespace ib {
namespace {

TEST(RecorderRoster, TheSerialIsTheInstanceIdsThirdPartUnlessTheSystemMadeItUp) {
    const struct {
        const char* instanceId;
        const char* serial;
    } rows[] = {
        {"USBSTOR\\DISK&VEN_QUB&PROD_CARD_READER&REV_1.00\\SIM0002&0", "SIM0002"},
        {"USBSTOR\\DISK&VEN_QUB&PROD_CARD_READER&REV_1.00\\0123456789AB&1", "0123456789AB"},
        {"USBSTOR\\DISK&VEN_QUB&PROD_USB_BOOT_ROM&REV_1.00\\/sys/devices/pci0000:00/usb1/1-2/block/sdb", ""},
        {"USBSTOR\\DISK&VEN_QUB&PROD_USB_BOOT_ROM&REV_1.00\\7&2a0f3c1&0&000000&0", ""},
        {"USBSTOR\\DISK&VEN_QUB&PROD_CARD_READER&REV_1.00\\AB\\CD&0", "AB\\CD"},
        {"USBSTOR\\DISK&VEN_QUB&PROD_CARD_READER&REV_1.00\\SIM\\&0", "SIM\\"},
    };
    for (const auto& row : rows) EXPECT_EQ(serialOfInstanceId(row.instanceId), row.serial) << row.instanceId;
}

TEST(RecorderRoster, OneEntryPerPortWithItsModeLetterAndHolder) {
    test::FakeUsbStorage devices;
    devices.list.instanceIds = {"USBSTOR\\DISK&VEN_QUB&PROD_USB_BOOT_ROM&REV_1.00\\SIM0001&0",
                                "USBSTOR\\DISK&VEN_KINGSTON&PROD_DATATRAVELER&REV_1.00\\K1&0",
                                "USBSTOR\\DISK&VEN_QUB&PROD_CARD_READER&REV_1.00\\SIM0002&0",
                                "USBSTOR\\DISK&VEN_QUB&PROD_CARD_READER&REV_1.00\\SIM0002&1", std::nullopt};
    devices.list.portPaths = {"1-1", "1-5", "1-2.3", "1-2.3", "1-6"};
    test::ScriptedVolumes volumes;
    volumes.ports = {{'D', "1-1"}, {'E', "1-5"}, {'F', "1-2.3"}};
    volumes.volumes['D'] = {};
    volumes.volumes['F'].opens = false;
    volumes.refusals['F'] = recorderInUseMessage(4711);

    EXPECT_EQ(listRecorders(devices, volumes),
              (std::vector<RecorderEntry>{{"1-1", "SIM0001", ListedMode::BootRom, 'D', ""},
                                          {"1-2.3", "SIM0002", ListedMode::Updater, 'F', recorderInUseMessage(4711)}}));
    volumes.opened.clear();
    const auto unlooked = listRecorders(devices, volumes, HolderCheck::Skip);
    ASSERT_EQ(unlooked.size(), 2u);
    EXPECT_EQ(unlooked[0].heldBy, std::nullopt);
    EXPECT_TRUE(volumes.opened.empty());
}

TEST(RecorderRoster, PatternsTakeInAPortThePortsBehindItAndSerialStarts) {
    const RecorderEntry recorder{"1-2.3", "SIM0002", ListedMode::Updater, 'E', ""};
    const struct {
        const char* pattern;
        bool within;
    } rows[] = {{"1-2.3", true}, {"1-2", true}, {"1", false}, {"1-2.30", false}, {"1-2.", false},
                {"SIM00", true}, {"SIM0003", false}, {"", false}};
    for (const auto& row : rows) EXPECT_EQ(recorderWithin(recorder, row.pattern), row.within) << row.pattern;
}

}  // namespace
}  // namespace ib
