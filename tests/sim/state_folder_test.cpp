// The state folder contract that acceptance checks read: the command log line
// by line, sparse area images, ram.bin, and recorder.ini carried from one
// Simulator instance (one process) to the next.
#include <gtest/gtest.h>

#include "device/usb_scsi_cmd.h"
#include "sim/recorder_ini.h"
#include "sim/recorder_model.h"
#include "sim/simulator.h"
#include "sim/state_folder.h"
#include "sim_test_support.h"
#include "support/allocated_bytes.h"

namespace ib::sim::test {
namespace {

struct StateFolderTest : ::testing::Test {
    TempDir dir;
    ManualClock clock;

    std::unique_ptr<Simulator> open() {
        std::string error;
        auto sim = Simulator::openFolder(dir.path(), clock, error);
        EXPECT_TRUE(sim) << error;
        return sim;
    }
    void create(const RecorderState& state = {}) {
        std::string error;
        ASSERT_TRUE(StateFolder::create(dir.path(), state, false, error)) << error;
    }
};

TEST_F(StateFolderTest, TheCommandLogHasOneExactLinePerBlock) {
    RecorderState state;
    state.mode = RecorderMode::Updater;
    create(state);
    auto sim = open();
    UsbScsiCmd cmd(sim->volumes());
    ASSERT_EQ(cmd.Open(), 1u);
    std::uint32_t size = 0;
    ASSERT_EQ(cmd.SelectStorage(2, 0, size), 1u);
    std::vector<std::uint8_t> buffer(8 * kSectorSize);
    ASSERT_EQ(cmd.ReadSectors(300, 8, buffer), 1u);
    ASSERT_EQ(cmd.WriteRegister(0x80008C00, 0x5A), 1u);
    EXPECT_EQ(cmd.ReadSectors(size, 1, buffer), 0u);
    ASSERT_EQ(cmd.SetBootSize(8192), 1u);
    EXPECT_EQ(readFile(dir.path() / "commands.log"),
              "120000002400 in 36 ok\n"
              "fa556601000000000000000000000000 in 16 ok\n"
              "fa556606020000000000000000000000 in 4 ok\n"
              "fa5566070000012c0008000000000000 in 4096 ok\n"
              "fa55660580008c005a00000000000000 none 0 ok\n"
              "fa556607007580000001000000000000 in 512 fail\n"
              "fa556609000020000000000000000000 none 0 ok\n");
}

TEST_F(StateFolderTest, AreaImagesAreSparseWithSectorSAtByteSTimes512) {
    RecorderState state;
    state.mode = RecorderMode::Updater;
    create(state);
    auto sim = open();
    UsbScsiCmd cmd(sim->volumes());
    ASSERT_EQ(cmd.Open(), 1u);
    std::uint32_t size = 0;
    ASSERT_EQ(cmd.SelectStorage(2, 0, size), 1u);
    const auto data = pattern(2, 6);
    const std::uint64_t far = 7'000'000;
    ASSERT_EQ(cmd.WriteSectors(far, 2, data), 1u);

    const auto image = dir.path() / "storage-2-area-0.img";
    ASSERT_EQ(std::filesystem::file_size(image), (far + 2) * kSectorSize);
    std::ifstream in(image, std::ios::binary);
    std::vector<std::uint8_t> stored(data.size());
    in.seekg(static_cast<std::streamoff>(far * kSectorSize));
    in.read(reinterpret_cast<char*>(stored.data()), static_cast<std::streamsize>(stored.size()));
    EXPECT_EQ(stored, data);
    EXPECT_LT(ib::test::allocatedBytes(image), 1u << 20) << "the image must not hold gigabytes of zeros";
    EXPECT_EQ(sim->sectorsWithData({2, 0}), (std::vector<SectorRange>{{far, 2}}));

    // Erasing gives the space back and the bytes read 0 again.
    ASSERT_EQ(cmd.SelectStorage(2, 1, size), 1u);
    ASSERT_EQ(cmd.WriteSectors(5, 2, data), 1u);
    EXPECT_EQ(std::filesystem::file_size(dir.path() / "storage-2-area-1.img"), 7 * kSectorSize);
    ASSERT_EQ(cmd.LowLevelFormat(), 1u);
    EXPECT_EQ(std::filesystem::file_size(dir.path() / "storage-2-area-1.img"), 0u);
    std::vector<std::uint8_t> back(2 * kSectorSize, 0xEE);
    ASSERT_EQ(cmd.ReadSectors(5, 2, back), 1u);
    EXPECT_EQ(back, std::vector<std::uint8_t>(2 * kSectorSize, 0));
}

TEST_F(StateFolderTest, RamImageHoldsTheDownloadsSincePowerOn) {
    create();
    auto sim = open();
    UsbScsiCmd cmd(sim->volumes());
    ASSERT_EQ(cmd.Open(), 1u);
    const auto image = pattern(70, 2);
    ASSERT_EQ(cmd.Download(70, image), 1u);
    const std::string ram = readFile(dir.path() / "ram.bin");
    EXPECT_EQ(std::vector<std::uint8_t>(ram.begin(), ram.end()), image);

    // A second process sees the same RAM image and can start it.
    cmd.Close();
    sim.reset();  // the first process ends before the second opens the folder
    sim = open();
    EXPECT_EQ(sim->ramImage(), image);
    UsbScsiCmd cmd2(sim->volumes());
    ASSERT_EQ(cmd2.Open(), 1u);
    ASSERT_EQ(cmd2.StartDownloaded(), 1u);
    sim->replug();
    EXPECT_EQ(std::filesystem::file_size(dir.path() / "ram.bin"), 0u);
}

TEST_F(StateFolderTest, ARamImageLargerThanTheRecordersMemoryIsRefused) {
    create();
    std::filesystem::resize_file(dir.path() / "ram.bin", kRamCapacityBytes + 1);
    std::string error;
    EXPECT_FALSE(StateFolder::open(dir.path(), error).folder);
    EXPECT_EQ(error, (dir.path() / "ram.bin").string() + " does not read or holds more than the recorder's memory");
}

TEST_F(StateFolderTest, RecorderIniCarriesTheStateToTheNextInstance) {
    RecorderState state;
    state.restartDelayMs = 3000;
    state.indexTableSector = 2;
    state.areaSectors[4][0] = 123456;
    state.latency = {10, 2'000'000};
    state.faults.decoyInquiryFormat2 = true;
    create(state);
    {
        auto first = open();
        UsbScsiCmd cmd(first->volumes());
        ASSERT_EQ(cmd.Open(), 1u);
        ASSERT_EQ(cmd.WriteRegister(0x80008C00, 0x5A), 1u);
        ASSERT_EQ(cmd.Download(1, pattern(1, 1)), 1u);
        first->failNthCommand(VendorCode::ReadSectors, 4, FaultKind::CheckCondition);
        ASSERT_EQ(cmd.StartDownloaded(), 1u);
    }
    auto second = open();
    RecorderState seen = second->state();
    EXPECT_EQ(seen.mode, RecorderMode::Updater);
    EXPECT_EQ(seen.awayUntilMs, clock.nowMs() + 3000);
    EXPECT_EQ(seen.registers, (std::map<std::uint32_t, std::uint8_t>{{0x80008C00, 0x5A}}));
    EXPECT_EQ(seen.counters.starts, 1u);
    EXPECT_EQ(seen.faults.failCommands, (std::vector<CommandFault>{{0x07, 4, 0, FaultKind::CheckCondition}}));

    // The second process still waits for the return, then finds the updater.
    UsbScsiCmd cmd(second->volumes());
    EXPECT_EQ(cmd.Open(), 0u);
    clock.advanceMs(3000);
    ASSERT_EQ(cmd.Open(), 1u);
    std::uint32_t size = 0;
    ASSERT_EQ(cmd.SelectStorage(4, 0, size), 1u);
    EXPECT_EQ(size, 123456u);

    // The whole state survives a write-and-read of the text unchanged.
    RecorderState again;
    std::string error;
    ASSERT_TRUE(parseRecorderIni(readFile(dir.path() / "recorder.ini"), again, error)) << error;
    EXPECT_TRUE(again == second->state());
}

TEST_F(StateFolderTest, EditedRecorderIniIsReadAndMistakesAreReportedByLine) {
    create();
    std::ofstream(dir.path() / "recorder.ini") << "# edited by hand\n[recorder]\nmode = updater\n"
                                                  "selection = 2 1\n[faults]\nopen_finds_nothing = yes\n"
                                                  "fail_command = 0x0a 2\n[registers]\n0x10 = 7\n";
    auto sim = open();
    const RecorderState s = sim->state();
    EXPECT_EQ(s.mode, RecorderMode::Updater);
    EXPECT_EQ(s.selection, (AreaId{2, 1}));
    EXPECT_TRUE(s.faults.openFindsNothing);
    EXPECT_EQ(s.faults.failCommands, (std::vector<CommandFault>{{0x0A, 2, 0}}));
    EXPECT_EQ(s.registers.at(0x10), 7);
    EXPECT_EQ(s.areaSectors, defaultAreaSizes());
    sim.reset();

    for (const auto& [text, message] : std::vector<std::pair<std::string, std::string>>{
             {"[recorder]\nmode = turbo\n", "line 2: bad value 'turbo' for mode"},
             {"[recorder]\n\nbogus = 1\n", "line 3: unknown key 'bogus' in [recorder]"},
             {"[areas]\nstorage-5-area-0 = 1\n", "line 2: unknown area or bad size"},
             {"[areas]\nstorage-0-area-0 = 4294967296\n", "line 2: unknown area or bad size"},
             {"[nowhere]\n", "line 1: unknown section [nowhere]"},
             {"mode = updater\n", "line 1: key outside a section"},
         }) {
        std::ofstream(dir.path() / "recorder.ini") << text;
        std::string error;
        EXPECT_EQ(Simulator::openFolder(dir.path(), clock, error), nullptr) << text;
        EXPECT_NE(error.find(message), std::string::npos) << error;
    }
}

TEST_F(StateFolderTest, CreationRefusesToReplaceARecorderWithoutForce) {
    create();
    {
        auto sim = open();
        ASSERT_TRUE(sim->writeArea({0, 0}, 0, pattern(1, 1)));
        UsbScsiCmd cmd(sim->volumes());
        ASSERT_EQ(cmd.Open(), 1u);
    }
    std::string error;
    EXPECT_FALSE(StateFolder::create(dir.path(), {}, false, error));
    EXPECT_NE(error.find("already holds a simulated recorder"), std::string::npos);
    EXPECT_NE(std::filesystem::file_size(dir.path() / "commands.log"), 0u);

    ASSERT_TRUE(StateFolder::create(dir.path(), {}, true, error)) << error;
    EXPECT_EQ(std::filesystem::file_size(dir.path() / "commands.log"), 0u);
    EXPECT_EQ(std::filesystem::file_size(dir.path() / "storage-0-area-0.img"), 0u);
    EXPECT_FALSE(Simulator::openFolder(dir.path() / "missing", clock, error));
    EXPECT_NE(error.find("sim init"), std::string::npos);
}

}  // namespace
}  // namespace ib::sim::test
