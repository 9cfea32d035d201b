// Loading and starting the updater: Download chunks build the RAM image,
// StartDownloaded takes the recorder off the bus for the restart delay, and it
// comes back in updater mode with removal and arrival notifications.
#include <gtest/gtest.h>

#include <mutex>

#include "device/usb_scsi_cmd.h"
#include "sim/simulator.h"
#include "sim_test_support.h"

namespace ib::sim::test {
namespace {

const std::string kCardReaderInterface =
    "\\\\?\\USBSTOR#DISK&VEN_QUB&PROD_CARD_READER&REV_1.00#SIM0001&0#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
const std::string kBootRomInterface =
    "\\\\?\\USBSTOR#DISK&VEN_QUB&PROD_USB_BOOT_ROM&REV_1.00#SIM0001&0#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";

struct UpdaterStart : ::testing::Test {
    ManualClock clock;
    std::unique_ptr<Simulator> sim = Simulator::inMemory(RecorderState{}, clock);
    UsbScsiCmd cmd{sim->volumes()};
    std::vector<DeviceEvent> events;

    void listen() {
        sim->events().setBackgroundPolling(false);
        ASSERT_TRUE(sim->events().registerClass(InterfaceClass::Disk));
        sim->events().start([this](const DeviceEvent& e) { events.push_back(e); });
    }
    std::size_t downloadCommands() {
        std::size_t n = 0;
        for (const auto& line : sim->commandLog()) n += line.rfind("fa556602", 0) == 0;
        return n;
    }
};

TEST_F(UpdaterStart, DownloadChunksAppendToTheRamImage) {
    ASSERT_EQ(cmd.Open(), 1u);
    const auto image = pattern(130, 3);
    ASSERT_EQ(cmd.Download(130, image), 1u);
    EXPECT_EQ(downloadCommands(), 3u);
    EXPECT_EQ(sim->commandLog()[2], "fa556602004000000000000000000000 out 32768 ok");
    EXPECT_EQ(sim->commandLog()[4], "fa556602000200000000000000000000 out 1024 ok");
    EXPECT_EQ(sim->ramImage(), image);

    const auto more = pattern(64, 9);
    ASSERT_EQ(cmd.Download(64, more), 1u);
    EXPECT_EQ(downloadCommands(), 4u);
    EXPECT_EQ(sim->ramImage().size(), (130u + 64u) * kSectorSize);
    EXPECT_TRUE(std::equal(more.begin(), more.end(), sim->ramImage().begin() + 130 * kSectorSize));

    EXPECT_EQ(cmd.Download(0, {}), 0u);
    EXPECT_EQ(downloadCommands(), 4u);
    EXPECT_EQ(sim->state().counters.downloads, 4u);
}

TEST_F(UpdaterStart, StartingWithAnEmptyRamImageFailsAndTheRecorderStays) {
    ASSERT_EQ(cmd.Open(), 1u);
    EXPECT_EQ(cmd.StartDownloaded(), 0u);
    EXPECT_EQ(cmd.lastOutcome().sense[12], 0x2C);  // command sequence error
    EXPECT_TRUE(sim->recorderPresent());
    EXPECT_EQ(sim->state().mode, RecorderMode::BootRom);
}

TEST_F(UpdaterStart, TheRecorderIsAwayForTheRestartDelayAndReturnsRunningTheUpdater) {
    listen();
    ASSERT_EQ(cmd.Open(), 1u);
    ASSERT_EQ(cmd.Download(2, pattern(2, 5)), 1u);
    ASSERT_EQ(cmd.StartDownloaded(), 1u);
    sim->poll();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].eventType, kDeviceRemoveComplete);
    EXPECT_EQ(events[0].interfaceName, kBootRomInterface);

    // The volume opened before the restart reaches nothing any more.
    std::uint8_t value = 0;
    EXPECT_EQ(cmd.ReadRegister(0x80008C00, value), 0u);
    cmd.Close();

    clock.advanceMs(kDefaultRestartDelayMs - 1);
    EXPECT_EQ(cmd.Open(), 0u);
    EXPECT_TRUE(sim->enumerator().presentDevices().instanceIds.empty());
    sim->poll();
    EXPECT_EQ(events.size(), 1u);

    clock.advanceMs(1);
    ASSERT_EQ(cmd.Open(), 1u);
    EXPECT_EQ(cmd.GetMode(), kModeUpdater);
    sim->poll();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].eventType, kDeviceArrival);
    EXPECT_EQ(events[1].deviceType, kDeviceTypeInterface);
    EXPECT_EQ(events[1].interfaceName, kCardReaderInterface);
    EXPECT_EQ(*sim->enumerator().presentDevices().instanceIds.at(0),
              "USBSTOR\\DISK&VEN_QUB&PROD_CARD_READER&REV_1.00\\SIM0001&0");
    // The updater keeps its image; the boot ROM's commands are gone.
    EXPECT_EQ(sim->ramImage().size(), 2 * kSectorSize);
    EXPECT_EQ(cmd.Download(1, pattern(1, 1)), 0u);
    EXPECT_EQ(cmd.StartDownloaded(), 0u);
}

TEST_F(UpdaterStart, AConfiguredRestartDelayAndAFaultThatKeepsTheRecorderAway) {
    RecorderState state;
    state.restartDelayMs = 5000;
    state.faults.staysAway = true;
    sim = Simulator::inMemory(state, clock);
    UsbScsiCmd host(sim->volumes());
    ASSERT_EQ(host.Open(), 1u);
    ASSERT_EQ(host.Download(1, pattern(1, 1)), 1u);
    ASSERT_EQ(host.StartDownloaded(), 1u);
    clock.advanceMs(60'000);
    EXPECT_EQ(host.Open(), 0u);
    EXPECT_FALSE(sim->recorderPresent());

    // Lifting the fault lets it return; a replug brings it back in boot ROM with an empty RAM.
    Faults none;
    sim->setFaults(none);
    EXPECT_TRUE(sim->recorderPresent());
    sim->replug();
    ASSERT_EQ(host.Open(), 1u);
    EXPECT_EQ(host.GetMode(), kModeBootRom);
    EXPECT_TRUE(sim->ramImage().empty());
}

TEST_F(UpdaterStart, AReturnTimeFromBeforeTheClockBeganAnewHasPassed) {
    // The steady clock starts again with the machine: a state folder may hold
    // a return time far beyond any restart delay.
    RecorderState state;
    state.mode = RecorderMode::Updater;
    state.awayUntilMs = clock.nowMs() + 10 * state.restartDelayMs;
    sim = Simulator::inMemory(state, clock);
    EXPECT_TRUE(sim->recorderPresent());
}

TEST_F(UpdaterStart, ReplugNotifiesRemovalAndArrivalAndForgetsTheSelection) {
    sim = Simulator::inMemory(
        [] {
            RecorderState s;
            s.mode = RecorderMode::Updater;
            return s;
        }(),
        clock);
    listen();
    UsbScsiCmd host(sim->volumes());
    ASSERT_EQ(host.Open(), 1u);
    std::uint32_t size = 0;
    ASSERT_EQ(host.SelectStorage(2, 0, size), 1u);
    sim->replug();
    sim->poll();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].eventType, kDeviceRemoveComplete);
    EXPECT_EQ(events[0].interfaceName, kCardReaderInterface);
    EXPECT_EQ(events[1].eventType, kDeviceArrival);
    EXPECT_EQ(events[1].interfaceName, kBootRomInterface);
    EXPECT_FALSE(sim->state().selection);
}

TEST_F(UpdaterStart, EventsFollowRegistrationAndBackgroundPollingCoexistsWithPoll) {
    // Without the disk class registered nothing is delivered.
    sim->events().setBackgroundPolling(false);
    ASSERT_TRUE(sim->events().registerClass(InterfaceClass::UsbDevice));
    sim->events().start([this](const DeviceEvent& e) { events.push_back(e); });
    sim->replug();
    sim->poll();
    EXPECT_TRUE(events.empty());
    sim->events().stop();

    // With the polling thread running, poll() still returns only after delivery.
    SystemClock realClock;
    RecorderState state;
    state.restartDelayMs = 0;
    auto live = Simulator::inMemory(state, realClock);
    std::mutex mutex;
    std::vector<DeviceEvent> seen;
    ASSERT_TRUE(live->events().registerClass(InterfaceClass::Disk));
    live->events().start([&](const DeviceEvent& e) {
        std::lock_guard lock(mutex);
        seen.push_back(e);
    });
    UsbScsiCmd host(live->volumes());
    ASSERT_EQ(host.Open(), 1u);
    ASSERT_EQ(host.Download(1, pattern(1, 1)), 1u);
    ASSERT_EQ(host.StartDownloaded(), 1u);
    live->poll();
    live->events().stop();
    std::lock_guard lock(mutex);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].eventType, kDeviceRemoveComplete);
    EXPECT_EQ(seen[1].eventType, kDeviceArrival);
}

TEST_F(UpdaterStart, RegistrationCanBeRefusedByAFault) {
    Faults faults;
    faults.refuseEventRegistration = true;
    sim->setFaults(faults);
    EXPECT_FALSE(sim->events().registerClass(InterfaceClass::UsbDevice));
}

}  // namespace
}  // namespace ib::sim::test
