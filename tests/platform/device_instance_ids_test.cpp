// Instance IDs and interface names built from sysfs facts keep the Windows
// form that recorder recognition matches.
#include <gtest/gtest.h>

#include "platform/linux/device_instance_ids.h"
#include "platform/linux/usb_scsi_disk.h"

namespace ib::platform {
namespace {

const std::string kSysPath =
    "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/host6/target6:0:0/6:0:0:0/block/sdb";

TEST(UsbStorInstanceId, InquiryFieldsArePaddingFreeAndBlanksBecomeUnderscores) {
    EXPECT_EQ(usbStorInstanceId({"QUB     ", "CARD_READER     ", "1.00"}, "0123456789AB", 0, kSysPath),
              "USBSTOR\\DISK&VEN_QUB&PROD_CARD_READER&REV_1.00\\0123456789AB&0");
    EXPECT_EQ(usbStorInstanceId({"QUB     ", "USB BOOT ROM    ", "0.1 "}, "SN1", 0, kSysPath),
              "USBSTOR\\DISK&VEN_QUB&PROD_USB_BOOT_ROM&REV_0.1\\SN1&0");
    // A blank vendor field leaves the vendor part empty, as the third recorder ID expects.
    EXPECT_EQ(usbStorInstanceId({"        ", "CARD READER     ", "1.00"}, "SN1", 0, kSysPath),
              "USBSTOR\\DISK&VEN_&PROD_CARD_READER&REV_1.00\\SN1&0");
}

TEST(UsbStorInstanceId, FieldsAreCutToTheInquiryWidths) {
    EXPECT_EQ(instanceIdField("TB715KWNX", 8), "TB715KWN");
    EXPECT_EQ(instanceIdField("ABCDEFGHIJKLMNOPQRS", 16), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(instanceIdField("1.000", 4), "1.00");
    // Cutting comes first, so blanks inside the field survive as '_' and padding after it goes.
    EXPECT_EQ(instanceIdField("A B     C", 8), "A_B");
    EXPECT_EQ(instanceIdField("A,B\tC", 8), "A_B_C");
}

TEST(UsbStorInstanceId, TheUniquePartIsTheSerialWithLunOrTheDiskPath) {
    const ScsiIdentity identity{"QUB", "CARD_READER", "1.00"};
    EXPECT_EQ(usbStorInstanceId(identity, "SN1", 1, kSysPath),
              "USBSTOR\\DISK&VEN_QUB&PROD_CARD_READER&REV_1.00\\SN1&1");
    for (const char* unusable : {"", "SN 1", "SN,1", "SN\xC3\xA9"}) {
        EXPECT_EQ(usbStorInstanceId(identity, unusable, 0, kSysPath),
                  "USBSTOR\\DISK&VEN_QUB&PROD_CARD_READER&REV_1.00\\" + kSysPath)
            << "serial \"" << unusable << "\"";
    }
}

TEST(UsbStorInstanceId, ADiskWithoutReadableIdentityHasNone) {
    UsbScsiDisk disk{"sdb", kSysPath, kSysPath.substr(4), "/dev/sg2", std::nullopt, "SN1", 0};
    EXPECT_EQ(instanceIdOf(disk), std::nullopt);
    disk.identity = ScsiIdentity{"QUB     ", "CARD_READER     ", "1.00"};
    EXPECT_EQ(instanceIdOf(disk), "USBSTOR\\DISK&VEN_QUB&PROD_CARD_READER&REV_1.00\\SN1&0");
    EXPECT_EQ(displayNameOf(disk), "sdb (/dev/sg2, QUB CARD_READER)");
    disk.genericNode.clear();
    disk.identity->vendor = "        ";
    EXPECT_EQ(displayNameOf(disk), "sdb (no SCSI generic node, CARD_READER)");
}

TEST(InterfaceNames, EachClassHasItsWindowsForm) {
    EXPECT_EQ(usbDiskInterfaceName("USBSTOR\\DISK&VEN_QUB&PROD_CARD_READER&REV_1.00\\SN1&0"),
              "\\\\?\\USBSTOR#DISK&VEN_QUB&PROD_CARD_READER&REV_1.00#SN1&0"
              "#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}");
    EXPECT_EQ(usbDeviceInterfaceName({0x46D, 0xC52B}, "SN1"),
              "\\\\?\\USB#VID_046D&PID_C52B#SN1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
    EXPECT_EQ(hidInterfaceName(UsbVendorProduct{0x1, 0xABCD}, "hidraw0"),
              "\\\\?\\HID#VID_0001&PID_ABCD#hidraw0#{4d1e55b2-f16f-11cf-88cb-001111000030}");
    EXPECT_EQ(hidInterfaceName(std::nullopt, "input3"),
              "\\\\?\\HID#input3#{4d1e55b2-f16f-11cf-88cb-001111000030}");
    EXPECT_EQ(netInterfaceName("eth0"), "\\\\?\\NET#eth0#{ad498944-762f-11d0-8dcb-00c04fc3358c}");
    // Disks on other buses carry no vendor part, so no recorder ID can match them.
    EXPECT_EQ(otherDiskInterfaceName("vda").find("VEN_"), std::string::npos);
}

TEST(ScsiAddress, TheLunIsTheLastField) {
    EXPECT_EQ(lunFromScsiAddress("6:0:0:0"), 0u);
    EXPECT_EQ(lunFromScsiAddress("6:0:0:12"), 12u);
    EXPECT_EQ(lunFromScsiAddress("target6:0:0"), 0u);
    EXPECT_EQ(lunFromScsiAddress("6:0:0:x"), 0u);
}

}  // namespace
}  // namespace ib::platform
