// The command log costs bounded memory however long a run is: in memory only a
// window of the latest lines, in a state folder none at all, its lines going to
// commands.log in blocks that a reader still sees promptly and in order.
#include <chrono>
#include <thread>

#include "device/usb_scsi_cmd.h"
#include "sim/command_log.h"
#include "sim/command_log_file.h"
#include "sim/simulator.h"
#include "sim/state_folder.h"
#include "sim_test_support.h"

namespace ib::sim::test {
namespace {

TEST(RecentCommandLines, KeepOnlyTheLatestLinesUpToTheCapacity) {
    RecentCommandLines none(0), three(3);
    for (const char* line : {"a", "b", "c", "d", "e"}) {
        none.add(line);
        three.add(line);
    }
    EXPECT_TRUE(none.lines().empty());
    EXPECT_EQ(three.lines(), (std::vector<std::string>{"c", "d", "e"}));
}

TEST(CommandLogFile, LinesReachTheFileWholeAndInOrderWhetherTheyWaitOrNot) {
    TempDir dir;
    const auto path = dir.path() / "commands.log";
    std::string error;
    auto log = CommandLogFile::open(path, error);
    ASSERT_TRUE(log) << error;
    log->append("bulk 1", LogTiming::MayWait);
    log->append("bulk 2", LogTiming::MayWait);
    log->append("identify", LogTiming::Now);
    EXPECT_EQ(readFile(path), "bulk 1\nbulk 2\nidentify\n");

    // A waiting line gets there without a further command.
    log->append("bulk 3", LogTiming::MayWait);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (readFile(path).find("bulk 3") == std::string::npos && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(readFile(path), "bulk 1\nbulk 2\nidentify\nbulk 3\n");

    // Closing writes what waits, and a block's worth of lines goes out on its own.
    const std::string line(99, 'x');
    const std::size_t perBlock = CommandLogFile::kBlockBytes / (line.size() + 1) + 1;
    for (std::size_t i = 0; i < perBlock + 1; ++i) log->append(line, LogTiming::MayWait);
    log.reset();
    EXPECT_EQ(readFile(path).size(), std::string("bulk 1\nbulk 2\nidentify\nbulk 3\n").size() + (perBlock + 1) * 100);
    EXPECT_EQ(error, "");
}

TEST(CommandLogFile, AStateFolderKeepsNoLogLinesInMemory) {
    TempDir dir;
    RecorderState state;
    state.mode = RecorderMode::Updater;
    std::string error;
    ASSERT_TRUE(StateFolder::create(dir.path(), state, false, error)) << error;
    ManualClock clock;
    auto sim = Simulator::openFolder(dir.path(), clock, error);
    ASSERT_TRUE(sim) << error;
    UsbScsiCmd cmd(sim->volumes());
    ASSERT_EQ(cmd.Open(), 1u);
    EXPECT_TRUE(sim->commandLog().empty());
    EXPECT_EQ(readFile(dir.path() / "commands.log"),
              "120000002400 in 36 ok\nfa556601000000000000000000000000 in 16 ok\n");
}

}  // namespace
}  // namespace ib::sim::test
