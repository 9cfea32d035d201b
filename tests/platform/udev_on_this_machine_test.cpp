// The udev-facing code against this machine's kernel: enumeration works
// without a udev daemon, never offers a disk that is not on USB, and the
// monitor thread delivers real uevents and stops when asked.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <vector>

#include "platform/linux/udev_device_event_source.h"
#include "platform/linux/udev_usb_storage_enumerator.h"
#include "platform/linux/usb_scsi_disk_scan.h"
#include "platform/platform_services.h"
#include "support/temp_folder.h"

namespace ib::platform {
namespace {

namespace fs = std::filesystem;

TEST(UdevOnThisMachine, OnlyDisksOnUsbAreListed) {
    const auto disks = listUsbScsiDisks();
    ASSERT_TRUE(disks.has_value());
    for (const auto& disk : *disks) {
        EXPECT_NE(disk.sysPath.find("/usb"), std::string::npos) << disk.sysPath;
        EXPECT_TRUE(disk.kernelName.starts_with("sd")) << disk.kernelName;
    }
    // The machine's own disks (virtio here, SATA or NVMe elsewhere) are never candidates.
    for (const auto& entry : fs::directory_iterator("/sys/block")) {
        const auto device = fs::canonical(entry.path());
        if (device.string().find("/usb") != std::string::npos) continue;
        for (const auto& disk : *disks) EXPECT_NE(disk.kernelName, entry.path().filename().string());
    }

    UdevUsbStorageEnumerator enumerator;
    const UsbStorageList list = enumerator.presentDevices();
    EXPECT_TRUE(list.available);
    EXPECT_EQ(list.instanceIds.size(), disks->size());
}

TEST(UdevOnThisMachine, NoVolumeIsOfferedBeyondTheUsbDisks) {
    const auto disks = listUsbScsiDisks();
    ASSERT_TRUE(disks.has_value());
    auto services = makePlatformServices();
    const char firstFreeLetter = static_cast<char>('D' + disks->size());
    if (firstFreeLetter > 'Z') GTEST_SKIP() << "every drive letter is taken";
    std::string why;
    services.volumes->openVolume('D', &why);  // starts a scan
    EXPECT_EQ(services.volumes->openVolume(firstFreeLetter, &why), nullptr);
    EXPECT_EQ(why.rfind("no USB disk at drive letter", 0), 0u) << why;
}

TEST(UdevOnThisMachine, TheMonitorRegistersEveryClassAndStopsWhenAsked) {
    UdevDeviceEventSource events;
    for (const auto cls : {InterfaceClass::UsbDevice, InterfaceClass::Disk, InterfaceClass::Hid,
                           InterfaceClass::NdisLan}) {
        EXPECT_TRUE(events.registerClass(cls));
    }
    events.start([](const DeviceEvent&) {});
    EXPECT_FALSE(events.registerClass(InterfaceClass::Disk));  // not while events are delivered
    events.stop();
    EXPECT_TRUE(events.registerClass(InterfaceClass::Disk));
    events.start([](const DeviceEvent&) {});  // a second start after a stop works, and destruction stops it
}

TEST(UdevOnThisMachine, MonitorSourceFollowsTheUdevDaemon) {
    test::TempFolder folder;
    EXPECT_STREQ(monitorSourceFor(folder.path() / "control"), "kernel");
    std::ofstream(folder.path() / "control");
    EXPECT_STREQ(monitorSourceFor(folder.path() / "control"), "udev");
}

// Collects delivered events; waiting has a generous limit that only a
// missing event ever reaches.
class EventCollector {
public:
    void operator()(const DeviceEvent& event) {
        std::lock_guard lock(m_mutex);
        m_events.push_back(event);
        m_changed.notify_all();
    }
    // Whether an arrival of `name` and then its removal came before the limit.
    bool waitForArrivalThenRemoval(const std::string& name) {
        std::unique_lock lock(m_mutex);
        const auto is = [&name](std::uint32_t type) {
            return [&name, type](const DeviceEvent& event) {
                return event.eventType == type && event.interfaceName == name;
            };
        };
        return m_changed.wait_for(lock, std::chrono::seconds(30), [&] {
            const auto arrival = std::find_if(m_events.begin(), m_events.end(), is(kDeviceArrival));
            return std::any_of(arrival, m_events.end(), is(kDeviceRemoveComplete));
        });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<DeviceEvent> m_events;
};

// The kernel re-announces a device when its uevent file is written to. Only
// done where no udev daemon would act on the announcement.
bool canAnnounce(const fs::path& ueventFile) {
    return geteuid() == 0 && !fs::exists("/run/udev/control") && access(ueventFile.c_str(), W_OK) == 0;
}

TEST(UdevOnThisMachine, KernelUeventsReachTheSinkAsWindowsFormEvents) {
    const fs::path loopback = "/sys/class/net/lo/uevent";
    if (!canAnnounce(loopback)) GTEST_SKIP() << "needs root and no udev daemon";
    UdevDeviceEventSource events;
    ASSERT_TRUE(events.registerClass(InterfaceClass::NdisLan));
    EventCollector collector;
    events.start([&collector](const DeviceEvent& event) { collector(event); });
    std::ofstream(loopback) << "add";
    std::ofstream(loopback) << "remove";
    EXPECT_TRUE(collector.waitForArrivalThenRemoval("\\\\?\\NET#lo#{ad498944-762f-11d0-8dcb-00c04fc3358c}"));
    events.stop();
}

}  // namespace
}  // namespace ib::platform
