// The `sim init`, `sim show` and `sim replug` commands on a state folder.
#include <gtest/gtest.h>

#include <CLI/CLI.hpp>
#include <sstream>

#include "cli/sim_commands.h"
#include "sim/index_table_view.h"
#include "sim/simulator.h"
#include "sim_test_support.h"
#include "support/fake_environment.h"

namespace ib::sim::test {
namespace {

struct SimCli : ::testing::Test {
    TempDir temp;
    std::string dir = (temp.path() / "recorder").string();
    std::string out;
    std::string err;

    int run(std::vector<std::string> args) {
        CLI::App app;
        std::ostringstream o, e;
        int exitCode = -1;
        cli::addSimCommands(app, o, e, exitCode);
        args.insert(args.begin(), "imageburner-cli");
        std::vector<const char*> argv;
        for (const auto& a : args) argv.push_back(a.c_str());
        try {
            app.parse(static_cast<int>(argv.size()), argv.data());
        } catch (const CLI::ParseError& error) {
            exitCode = app.exit(error, o, e) == 0 ? 0 : 2;
        }
        out = o.str();
        err = e.str();
        return exitCode;
    }
    // The recorder as a program that holds it has it open.
    std::unique_ptr<Simulator> holdRecorder() {
        std::string error;
        auto held = Simulator::openFolder(dir, clock, error);
        EXPECT_TRUE(held) << error;
        return held;
    }

    ManualClock clock;
};

TEST_F(SimCli, InitCreatesARecorderAndRefusesToReplaceItWithoutForce) {
    ASSERT_EQ(run({"sim", "init", dir}), 0) << err;
    EXPECT_EQ(out, "Simulated recorder created in " + dir + " (boot ROM mode)\n");
    for (const char* file :
         {"recorder.ini", "commands.log", "ram.bin", "storage-0-area-0.img", "storage-4-area-1.img"})
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(dir) / file)) << file;

    EXPECT_EQ(run({"sim", "init", dir, "--mode", "updater"}), 1);
    EXPECT_NE(err.find("use --force"), std::string::npos) << err;
    ASSERT_EQ(run({"sim", "init", dir, "--mode", "updater", "--user-sectors", "4096", "--boot-sectors",
                   "1024", "--force"}),
              0)
        << err;
    ASSERT_EQ(run({"sim", "show", dir}), 0) << err;
    EXPECT_NE(out.find("Mode: updater, on the bus\n"), std::string::npos) << out;
    EXPECT_NE(out.find("storage 3 (SIF) area 0 (user): 4096 sectors, no data\n"), std::string::npos) << out;
    EXPECT_NE(out.find("storage 3 (SIF) area 1 (boot): 1024 sectors, no data\n"), std::string::npos) << out;

    EXPECT_EQ(run({"sim", "init", dir, "--mode", "turbo", "--force"}), 2);
}

TEST_F(SimCli, ShowListsDataRangesAndDecodesIndexTables) {
    ASSERT_EQ(run({"sim", "init", dir, "--user-sectors", "4096"}), 0) << err;
    {
        ManualClock clock;
        std::string error;
        auto sim = Simulator::openFolder(dir, clock, error);
        ASSERT_TRUE(sim) << error;
        std::vector<std::uint8_t> table(kSectorSize);
        putLittleEndian32(table, 0, kIndexTableMagic);
        putLittleEndian32(table, 4, 1);
        putLittleEndian32(table, 508, kIndexTableMagic);
        const std::uint32_t entries[][4] = {
            {0, 1, 20, 0x80000001}, {1, 21, 0, 1}, {10, 0xFFFFFFFF, 8, 3}, {11, 100, 50, 3}};
        for (const auto& [k, start, count, attributes] : entries) {
            putLittleEndian32(table, 16 + 16 * k, start);
            putLittleEndian32(table, 20 + 16 * k, count);
            putLittleEndian32(table, 24 + 16 * k, attributes);
        }
        ASSERT_TRUE(sim->writeArea({2, 0}, 0, table));
        ASSERT_TRUE(sim->writeArea({2, 0}, 1, pattern(20, 1)));
        ASSERT_TRUE(sim->writeArea({2, 0}, 100, pattern(1, 1)));
        ASSERT_TRUE(sim->writeArea({0, 1}, 0, std::vector<std::uint8_t>(kSectorSize, 0xFF)));
    }
    ASSERT_EQ(run({"sim", "show", dir}), 0) << err;
    EXPECT_NE(out.find("Mode: boot ROM, on the bus\n"), std::string::npos) << out;
    EXPECT_NE(out.find("storage 2 (eMMC) area 0 (user): 4096 sectors, data in sectors 0-20, 100\n"),
              std::string::npos)
        << out;
    EXPECT_NE(
        out.find("Index table in storage 2 (eMMC) area 0 (user) at sector 0: magic ok, storage marker 1\n"
                 "  entry 0: start 1, count 20, attributes 0x80000001\n"
                 "  entry 11: start 100, count 50, attributes 0x3\n"),
        std::string::npos)
        << out;
    EXPECT_NE(out.find("Index table in storage 0 (moviNAND) area 1 (boot) at sector 0: magic BAD "
                       "(0xffffffff at 0, 0xffffffff at 508)"),
              std::string::npos)
        << out;
}

TEST_F(SimCli, ReplugReturnsToBootRomAndEmptiesTheRamImage) {
    ASSERT_EQ(run({"sim", "replug", dir}), 1);
    EXPECT_NE(err.find("sim replug: no simulated recorder"), std::string::npos) << err;

    ASSERT_EQ(run({"sim", "init", dir, "--mode", "updater"}), 0) << err;
    std::ofstream(std::filesystem::path(dir) / "ram.bin") << "updater image";
    ASSERT_EQ(run({"sim", "replug", dir}), 0) << err;
    EXPECT_EQ(std::filesystem::file_size(std::filesystem::path(dir) / "ram.bin"), 0u);
    ASSERT_EQ(run({"sim", "show", dir}), 0) << err;
    EXPECT_NE(out.find("Mode: boot ROM, on the bus\n"), std::string::npos) << out;
    EXPECT_NE(out.find("RAM image: 0 bytes\n"), std::string::npos) << out;
}

TEST_F(SimCli, InitForceIsRefusedWhileAProgramHoldsTheRecorder) {
    ASSERT_EQ(run({"sim", "init", dir, "--mode", "updater"}), 0) << err;
    {
        auto held = holdRecorder();
        ASSERT_TRUE(held);
        ASSERT_TRUE(held->writeArea({2, 0}, 0, pattern(1, 1)));
        EXPECT_EQ(run({"sim", "init", dir, "--force"}), 1);
        EXPECT_EQ(err, "sim init: The recorder is in use by another program (pid " + std::to_string(::getpid()) +
                           ").\n");
    }
    ASSERT_EQ(run({"sim", "show", dir}), 0) << err;
    EXPECT_NE(out.find("Mode: updater, on the bus\n"), std::string::npos) << out;
    EXPECT_NE(out.find("storage 2 (eMMC) area 0 (user): 7700480 sectors, data in sectors 0\n"), std::string::npos)
        << out;
}

TEST_F(SimCli, UnplugAndPlugReachAProgramThatHoldsTheRecorder) {
    ASSERT_EQ(run({"sim", "init", dir, "--mode", "updater"}), 0) << err;
    auto held = holdRecorder();
    ASSERT_TRUE(held);
    std::vector<std::uint32_t> events;
    held->events().setBackgroundPolling(false);
    ASSERT_TRUE(held->events().registerClass(InterfaceClass::Disk));
    held->events().start([&events](const DeviceEvent& e) { events.push_back(e.eventType); });

    ASSERT_EQ(run({"sim", "unplug", dir}), 0) << err;
    held->poll();
    EXPECT_FALSE(held->recorderPresent());
    ASSERT_EQ(run({"sim", "plug", dir}), 0) << err;
    held->poll();
    EXPECT_TRUE(held->recorderPresent());
    EXPECT_EQ(held->state().mode, RecorderMode::BootRom);  // its power went with the cable
    EXPECT_EQ(events, (std::vector<std::uint32_t>{kDeviceRemoveComplete, kDeviceArrival}));
}

TEST_F(SimCli, ARecorderUnpluggedDuringTheUpdateFailsItCleanly) {
    ASSERT_EQ(run({"sim", "init", dir, "--mode", "updater"}), 0) << err;
    auto held = holdRecorder();
    ASSERT_TRUE(held);
    held->events().setBackgroundPolling(false);
    ib::test::ControllerRig rig(held->volumes(), &held->enumerator(), &held->events(), &clock);
    rig.workdir.write("a.bin", std::string(1000, 'a'));
    rig.workdir.write("DiskInfo.ini", "[DEFAULT_FW]\nnumber=1\nfile0=a.bin\n[User_Area_Partition]\n"
                                      "PartitionNumber=1\nSDKeepCodeSize=16384\n[Part_0]\nSize=2048\nUnitNumber=0\nType=FAT\n"
                                      "RawFileName=data.img\nDirPath=data\n");
    std::filesystem::create_directory(rig.workdir.path() / "data");
    // The cable is pulled while the packing tool runs, between two writes of the user area.
    rig.processes.behaviour = [this](const auto&) { return run({"sim", "unplug", dir}); };
    DialogValues view = rig.view;
    view.storageName = "eMMC";
    view.configUserArea = 1;

    EXPECT_EQ(rig.controller->run(Operation::FullUpdate, view), 0u);
    const auto seen = rig.port.take();
    EXPECT_NE(std::find(seen.begin(), seen.end(), "box Error Message: Error 0x0a: configure user area error !"),
              seen.end())
        << ::testing::PrintToString(seen);
    EXPECT_EQ(seen.back(), "buttons: off");  // the recorder is gone: no operation is offered
    EXPECT_FALSE(held->recorderPresent());
}

}  // namespace
}  // namespace ib::sim::test
