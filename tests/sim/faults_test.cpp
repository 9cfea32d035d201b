// Injected faults and the latency model: a chosen command fails once at the
// chosen count, and commands take the configured time on the injected clock.
#include <gtest/gtest.h>

#include "device/usb_scsi_cmd.h"
#include "sim/simulator.h"
#include "sim_test_support.h"

namespace ib::sim::test {
namespace {

struct Faulted : ::testing::Test {
    ManualClock clock;
    std::unique_ptr<Simulator> sim = Simulator::inMemory(
        [] {
            RecorderState s;
            s.mode = RecorderMode::Updater;
            return s;
        }(),
        clock);
    UsbScsiCmd cmd{sim->volumes()};
};

TEST_F(Faulted, TheNthCommandOfACodeFailsOnceCountedFromWhenTheFaultWasSet) {
    ASSERT_EQ(cmd.Open(), 1u);
    std::uint32_t size = 0;
    ASSERT_EQ(cmd.SelectStorage(0, 0, size), 1u);
    const auto data = pattern(1, 1);
    ASSERT_EQ(cmd.WriteSectors(0, 1, data), 1u);  // before the fault: not counted

    sim->failNthCommand(VendorCode::WriteSectors, 3);
    std::vector<std::uint8_t> sector(kSectorSize);
    EXPECT_EQ(cmd.ReadSectors(0, 1, sector), 1u);  // other codes do not count
    EXPECT_EQ(cmd.WriteSectors(1, 1, data), 1u);
    EXPECT_EQ(sim->state().faults.failCommands.at(0).seen, 1u);
    EXPECT_EQ(cmd.WriteSectors(2, 1, data), 1u);
    EXPECT_EQ(cmd.WriteSectors(3, 1, data), 0u);
    EXPECT_EQ(cmd.lastOutcome().sense[2], 0x04);  // hardware error
    EXPECT_EQ(sim->sectorsWithData({0, 0}),
              (std::vector<SectorRange>{{0, 3}}));  // the failed write wrote nothing
    EXPECT_EQ(cmd.WriteSectors(3, 1, data), 1u);    // a fault fires once
    EXPECT_TRUE(sim->state().faults.failCommands.empty());
    EXPECT_EQ(sim->commandLog().back(), "fa556608000000030001000000000000 out 512 ok");
    EXPECT_EQ(sim->commandLog()[sim->commandLog().size() - 2],
              "fa556608000000030001000000000000 out 512 fail");
}

TEST_F(Faulted, AFaultOnIdentifyMakesOpenFindNothing) {
    sim->failNthCommand(VendorCode::Identify, 1);
    EXPECT_EQ(cmd.Open(), 0u);
    EXPECT_EQ(cmd.Open(), 1u);
}

TEST_F(Faulted, CommandsTakeTheirDelayPlusTheirDataAtTheConfiguredRate) {
    ASSERT_EQ(cmd.Open(), 1u);
    std::uint32_t size = 0;
    ASSERT_EQ(cmd.SelectStorage(0, 0, size), 1u);
    EXPECT_EQ(clock.totalSleptMs(), 0);

    sim->setLatency({250, 1'000'000});  // 250 us per command, 1 MB/s
    std::vector<std::uint8_t> buffer(128 * kSectorSize);
    ASSERT_EQ(cmd.ReadSectors(0, 128, buffer), 1u);  // 250 us + 65.536 ms
    EXPECT_EQ(clock.totalSleptMs(), 65);
    // Sub-millisecond remainders add up over many short commands.
    for (int i = 0; i < 8; ++i) ASSERT_EQ(cmd.ReadSectors(0, 0, buffer), 1u);
    EXPECT_EQ(clock.totalSleptMs(), 67);
}

}  // namespace
}  // namespace ib::sim::test
