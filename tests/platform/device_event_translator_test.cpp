// Uevents of the registered classes become Windows-form arrival and removal
// events; a removed device keeps the name it had while present.
#include <gtest/gtest.h>

#include "platform/linux/device_event_translator.h"

namespace ib::platform {
namespace {

const std::string kRecorderDevPath =
    "/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/host6/target6:0:0/6:0:0:0/block/sdb";
const std::string kRecorderInstanceId = "USBSTOR\\DISK&VEN_QUB&PROD_CARD_READER&REV_1.00\\SN1&0";
const std::string kRecorderInterface =
    "\\\\?\\USBSTOR#DISK&VEN_QUB&PROD_CARD_READER&REV_1.00#SN1&0#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";

ObservedDevice recorderDisk(std::string action) {
    ObservedDevice disk{std::move(action), "block", "disk", "sdb", kRecorderDevPath, {}, {}, {}};
    if (disk.action != "remove") disk.usbStorInstanceId = kRecorderInstanceId;  // sysfs is gone on remove
    return disk;
}

DeviceEventTranslator translatorFor(std::initializer_list<InterfaceClass> classes) {
    DeviceEventTranslator translator;
    for (const auto cls : classes) translator.enable(cls);
    return translator;
}

TEST(DeviceEventTranslator, ARemovedDiskIsNamedAsItWasOnArrival) {
    auto translator = translatorFor({InterfaceClass::Disk});
    const auto arrival = translator.translate(recorderDisk("add"));
    ASSERT_TRUE(arrival);
    EXPECT_EQ(arrival->eventType, kDeviceArrival);
    EXPECT_EQ(arrival->deviceType, kDeviceTypeInterface);
    EXPECT_EQ(arrival->interfaceName, kRecorderInterface);

    const auto removal = translator.translate(recorderDisk("remove"));
    ASSERT_TRUE(removal);
    EXPECT_EQ(removal->eventType, kDeviceRemoveComplete);
    EXPECT_EQ(removal->interfaceName, kRecorderInterface);

    // Forgotten once removed: a second remove falls back to what the event carries.
    EXPECT_NE(translator.translate(recorderDisk("remove"))->interfaceName, kRecorderInterface);
}

TEST(DeviceEventTranslator, ADiskPresentAtStartIsNamedOnRemoval) {
    auto translator = translatorFor({InterfaceClass::Disk});
    translator.rememberPresent(recorderDisk(""));
    EXPECT_EQ(translator.translate(recorderDisk("remove"))->interfaceName, kRecorderInterface);
}

TEST(DeviceEventTranslator, AnUnknownRemovalIsNamedFromTheEvent) {
    auto translator = translatorFor({InterfaceClass::Disk});
    // The udev daemon's events still carry the identity of a removed USB disk.
    ObservedDevice removed = recorderDisk("remove");
    removed.devpath = "/devices/pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0/host7/target7:0:0/7:0:0:1/block/sdc";
    removed.properties = {{"ID_VENDOR", "QUB"}, {"ID_MODEL", "CARD_READER"}, {"ID_REVISION", "1.00"},
                          {"ID_SERIAL_SHORT", "SN2"}};
    EXPECT_EQ(translator.translate(removed)->interfaceName,
              "\\\\?\\USBSTOR#DISK&VEN_QUB&PROD_CARD_READER&REV_1.00#SN2&1"
              "#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}");

    // The kernel's own events do not; and a disk on another bus never looks like a recorder.
    const std::string virtioPath = "/devices/pci0000:00/0000:00:02.0/virtio1/block/vda";
    ObservedDevice internal{"remove", "block", "disk", "vda", virtioPath,
                            {{"ID_VENDOR", "QUB"}, {"ID_MODEL", "CARD_READER"}}, {}, {}};
    EXPECT_EQ(translator.translate(internal)->interfaceName,
              "\\\\?\\STORAGE#DISK#vda#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}");
}

TEST(DeviceEventTranslator, OnlyAddAndRemoveOfRegisteredClassesGiveEvents) {
    auto translator = translatorFor({InterfaceClass::UsbDevice});
    EXPECT_FALSE(translator.translate(recorderDisk("add")));  // Disk not registered
    ObservedDevice usb{"change", "usb", "usb_device", "1-2", "/devices/pci0000:00/usb1/1-2",
                       {{"PRODUCT", "1234/5678/100"}}, {}, "SN1"};
    EXPECT_FALSE(translator.translate(usb));
    ObservedDevice usbInterface{"add", "usb", "usb_interface", "1-2:1.0", usb.devpath + "/1-2:1.0",
                                {}, {}, {}};
    EXPECT_FALSE(translator.translate(usbInterface));
    ObservedDevice partition{"add", "block", "partition", "sdb1", kRecorderDevPath + "/sdb1", {}, {}, {}};
    translator.enable(InterfaceClass::Disk);
    EXPECT_FALSE(translator.translate(partition));
}

TEST(DeviceEventTranslator, UsbDevicesAreNamedByVendorProductAndSerial) {
    auto translator = translatorFor({InterfaceClass::UsbDevice});
    ObservedDevice usb{"add", "usb", "usb_device", "1-2", "/devices/pci0000:00/usb1/1-2",
                       {{"PRODUCT", "46d/c52b/1201"}}, {}, "SN1"};
    EXPECT_EQ(translator.translate(usb)->interfaceName,
              "\\\\?\\USB#VID_046D&PID_C52B#SN1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
    usb.action = "remove";
    usb.usbSerial.clear();
    EXPECT_EQ(translator.translate(usb)->interfaceName,
              "\\\\?\\USB#VID_046D&PID_C52B#SN1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
    // Without a serial the port path stands in, the same at arrival and removal.
    usb.devpath = "/devices/pci0000:00/usb1/1-3";
    usb.sysname = "1-3";
    EXPECT_EQ(translator.translate(usb)->interfaceName,
              "\\\\?\\USB#VID_046D&PID_C52B#1-3#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
}

TEST(DeviceEventTranslator, HidRegistrationCoversHidrawAndInputDevicesButNotTheirEventNodes) {
    auto translator = translatorFor({InterfaceClass::Hid});
    const std::string hidPath = "/devices/pci0000:00/usb1/1-4/1-4:1.0/0003:046D:C52B.0001";
    ObservedDevice hidraw{"add", "hidraw", "", "hidraw0", hidPath + "/hidraw/hidraw0", {}, {}, {}};
    EXPECT_EQ(translator.translate(hidraw)->interfaceName,
              "\\\\?\\HID#VID_046D&PID_C52B#hidraw0#{4d1e55b2-f16f-11cf-88cb-001111000030}");
    ObservedDevice input{
        "add", "input", "", "input5", hidPath + "/input/input5", {{"PRODUCT", "3/46d/c52b/111"}}, {}, {}};
    EXPECT_EQ(translator.translate(input)->interfaceName,
              "\\\\?\\HID#VID_046D&PID_C52B#input5#{4d1e55b2-f16f-11cf-88cb-001111000030}");
    ObservedDevice eventNode{"add", "input", "", "event5", hidPath + "/input/input5/event5", {}, {}, {}};
    EXPECT_FALSE(translator.translate(eventNode));
    ObservedDevice powerButton{"add", "input", "", "input0", "/devices/LNXSYSTM:00/LNXPWRBN:00/input/input0",
                               {{"PRODUCT", "19/0/1/0"}}, {}, {}};
    EXPECT_EQ(translator.translate(powerButton)->interfaceName,
              "\\\\?\\HID#VID_0000&PID_0001#input0#{4d1e55b2-f16f-11cf-88cb-001111000030}");
}

TEST(DeviceEventTranslator, NetworkInterfacesAreNamedByInterfaceName) {
    auto translator = translatorFor({InterfaceClass::NdisLan});
    ObservedDevice net{"add", "net", "", "eth0", "/devices/pci0000:00/0000:00:03.0/net/eth0",
                       {{"INTERFACE", "eth0"}}, {}, {}};
    EXPECT_EQ(translator.translate(net)->interfaceName,
              "\\\\?\\NET#eth0#{ad498944-762f-11d0-8dcb-00c04fc3358c}");
    net.action = "move";  // a rename is no arrival
    EXPECT_FALSE(translator.translate(net));
}

TEST(UeventFields, VendorAndProductAreReadFromHexFields) {
    EXPECT_EQ(vendorProductFromFields("46d/c52b/1201", 0)->product, 0xC52B);
    EXPECT_EQ(vendorProductFromFields("3/46d/c52b/111", 1)->vendor, 0x046D);
    EXPECT_FALSE(vendorProductFromFields("46d", 0));
    EXPECT_FALSE(vendorProductFromFields("46d/zz/1", 0));
    EXPECT_FALSE(vendorProductFromFields("12345/1/1", 0));  // wider than 16 bits
    EXPECT_EQ(hidIdsInDevPath("/devices/x/0003:1A2B:3C4D.000F/hidraw/hidraw2")->vendor, 0x1A2B);
    EXPECT_FALSE(hidIdsInDevPath("/devices/virtual/misc/uhid/hidraw/hidraw2"));
}

}  // namespace
}  // namespace ib::platform
