// The volume provider maps drive letters to USB disks, lists the disks once
// per scan of the letters, and says why a letter cannot be opened.
#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <fstream>

#include "device/chosen_recorder_volumes.h"
#include "platform/linux/sg_volume_provider.h"
#include "support/temp_folder.h"

namespace ib::platform {
namespace {

namespace fs = std::filesystem;

UsbScsiDisk diskNamed(std::string kernelName, std::string genericNode) {
    return UsbScsiDisk{kernelName, "/sys/block/" + kernelName, "/block/" + kernelName, genericNode,
                       ScsiIdentity{"QUB     ", "CARD_READER     ", "1.00"}, "SN1", 0};
}

// A lister that counts its calls and returns whatever the test puts in `disks`.
struct ScriptedLister {
    std::optional<std::vector<UsbScsiDisk>> disks = std::vector<UsbScsiDisk>{};
    int calls = 0;
    UsbDiskLister function() {
        return [this] {
            ++calls;
            return disks;
        };
    }
};

TEST(SgVolumeProvider, LettersFollowKernelNamesAndAScanListsTheDisksOnceAtD) {
    ScriptedLister lister;
    test::TempFolder locks;
    lister.disks = std::vector<UsbScsiDisk>{diskNamed("sdc", "/dev/sg3"), diskNamed("sdb", "/dev/sg2")};
    SgVolumeProvider volumes(lister.function(), locks.path());

    std::string why;
    for (char letter = 'D'; letter <= 'Z'; ++letter) volumes.openVolume(letter, &why);
    EXPECT_EQ(lister.calls, 1);
    EXPECT_EQ(volumes.volumeName('D'), "sdb (/dev/sg2, QUB CARD_READER)");
    EXPECT_EQ(volumes.volumeName('E'), "sdc (/dev/sg3, QUB CARD_READER)");
    EXPECT_EQ(volumes.volumeName('F'), "");

    // A disk that arrives between scans is seen by the next scan, which starts again at D.
    lister.disks->push_back(diskNamed("sda", "/dev/sg1"));
    EXPECT_EQ(volumes.volumeName('F'), "");
    volumes.openVolume('D', &why);
    EXPECT_EQ(lister.calls, 2);
    EXPECT_EQ(volumes.volumeName('D'), "sda (/dev/sg1, QUB CARD_READER)");
    EXPECT_EQ(volumes.volumeName('F'), "sdc (/dev/sg3, QUB CARD_READER)");
}

TEST(SgVolumeProvider, EachLetterTellsItsUsbPortAndAChosenRecorderLeavesTheOthersUnopened) {
    test::TempFolder folder, locks;
    const auto onPort = [&](const std::string& name, const std::string& port) {
        UsbScsiDisk disk = diskNamed(name, (folder.path() / name).string());  // a node that does not open
        disk.sysPath = "/sys/devices/pci0000:00/0000:00:14.0/usb1/" + port + "/" + port +
                       ":1.0/host6/target6:0:0/6:0:0:0/block/" + name;
        return disk;
    };
    ScriptedLister lister;
    lister.disks = std::vector<UsbScsiDisk>{onPort("sdb", "1-1"), onPort("sdc", "1-4.2")};
    SgVolumeProvider all(lister.function(), locks.path());
    EXPECT_EQ(all.volumePort('D'), "1-1");
    EXPECT_EQ(all.volumePort('E'), "1-4.2");
    EXPECT_EQ(all.volumePort('F'), "");

    ChosenRecorderVolumes chosen(all);
    chosen.choose("1-4.2");
    std::string why;
    EXPECT_EQ(chosen.openVolume('D', &why), nullptr);
    EXPECT_EQ(why, "not the chosen recorder (port 1-1)");
    EXPECT_EQ(chosen.openVolume('E', &why), nullptr);
    EXPECT_TRUE(why.starts_with("cannot open ")) << why;  // the chosen one is opened
    // The other recorder's lock was never taken.
    EXPECT_FALSE(fs::exists(locks / recorderLockFileName("1-1")));
    EXPECT_TRUE(fs::exists(locks / recorderLockFileName("1-4.2")));
}

TEST(SgVolumeProvider, EveryRefusalSaysWhy) {
    test::TempFolder folder;
    ScriptedLister lister;
    test::TempFolder locks;
    const std::string missingNode = (folder.path() / "sg9").string();
    lister.disks = std::vector<UsbScsiDisk>{diskNamed("sda", ""), diskNamed("sdb", missingNode)};
    SgVolumeProvider volumes(lister.function(), locks.path());

    std::string why;
    EXPECT_EQ(volumes.openVolume('D', &why), nullptr);
    EXPECT_EQ(why, "sda has no SCSI generic node: load the sg driver (sudo modprobe sg)");
    EXPECT_EQ(volumes.openVolume('E', &why), nullptr);
    EXPECT_EQ(why, "cannot open " + missingNode + " (sdb): No such file or directory");
    EXPECT_EQ(volumes.openVolume('F', &why), nullptr);
    EXPECT_EQ(why, "no USB disk at drive letter F (2 USB disks present)");
    EXPECT_EQ(volumes.openVolume('C', &why), nullptr);
    EXPECT_EQ(why, "drive letter C is not one of D to Z");
    EXPECT_EQ(volumes.openVolume('Z'), nullptr);  // no reason asked for, none given

    lister.disks.reset();
    EXPECT_EQ(volumes.openVolume('D', &why), nullptr);
    EXPECT_EQ(why, "the USB disks cannot be listed: udev enumeration failed");
}

TEST(SgVolumeProvider, AMissingPermissionNamesTheNodeAndTheFix) {
    const UsbScsiDisk disk = diskNamed("sdb", "/dev/sg2");
    for (const int error : {EACCES, EPERM}) {
        const std::string why = openFailureReason(disk, error);
        EXPECT_EQ(why.rfind("permission denied on /dev/sg2 (sdb): install the udev rules", 0), 0u) << why;
        EXPECT_NE(why.find("udevadm trigger"), std::string::npos) << why;
        EXPECT_NE(why.find("group disk"), std::string::npos) << why;
    }
    EXPECT_EQ(openFailureReason(disk, ENODEV), "cannot open /dev/sg2 (sdb): No such device");
    // The node is opened exclusively: a second program gets EBUSY.
    EXPECT_EQ(openFailureReason(disk, EBUSY), "/dev/sg2 (sdb) is in use by another program: close it and try again");
}

TEST(SgVolumeProvider, ANodeThatIsNoPassThroughDeviceNeverCompletesACommand) {
    test::TempFolder folder;
    const auto node = folder.path() / "sg0";
    std::ofstream(node) << "not a device";
    ScriptedLister lister;
    test::TempFolder locks;
    lister.disks = std::vector<UsbScsiDisk>{diskNamed("sda", node.string())};
    SgVolumeProvider volumes(lister.function(), locks.path());

    auto volume = volumes.openVolume('D');
    ASSERT_NE(volume, nullptr);
    const std::array<std::uint8_t, 6> inquiry = {0x12, 0, 0, 0, 36, 0};
    std::array<std::uint8_t, 36> reply{};
    const ScsiOutcome outcome = volume->send({inquiry, DataDirection::In, reply, 2});
    EXPECT_FALSE(outcome.completed);
    EXPECT_EQ(outcome.transferred, 0u);
    // A request the pass-through cannot carry is refused before it is sent.
    EXPECT_FALSE(volume->send({{}, DataDirection::None, {}, 2}).completed);
}

}  // namespace
}  // namespace ib::platform
