// imageburner-cli stopped by a termination signal, as when a person presses
// Ctrl+C or closes the terminal: the program runs as a child process and the
// simulated recorder sends it the signal when a chosen command arrives. The
// run stops at the next command, closes the recorder's session where one is
// open, says what it wrote (and nothing else) and ends with status 130.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "seams/clock.h"
#include "sim/simulator.h"
#include "support/environment_variable.h"
#include "support/temp_folder.h"
#include "tools/tool_harness.h"

namespace ib {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const std::string kEndSession = "fa5566dd000000000000000000000000 none 0 ok";

struct StopCase {
    const char* name;
    std::vector<std::string> command;
    const char* mode;
    std::uint8_t code;  // the signal comes with the nth command of this code
    std::uint32_t nth;
    int signal;
    std::string said;  // the run's last line
    bool closesSession;
};

std::string wrote(const std::string& written) {
    return "Interrupted: the operation stopped before it was done. Written to the recorder: " + written +
           ". Not written: everything after that; run the operation again.\n";
}

// A stop while the recorder restarts into its updater: the updater lives in its memory only.
const std::string kRestarting =
    "Interrupted: the recorder is restarting into its updater; nothing was written. Run again once it is back.\n";

const StopCase kCases[] = {
    {"UpdateStoppedByCtrlC", {"update"}, "bootrom", 0x08, 20, SIGINT,
     wrote("the updater (48 sectors), the updater's start, 695 sectors of the eMMC user area, 1 sector of the eMMC "
           "boot area, 1 sector of the eMMC user area, a user-area format, 1280 sectors of the eMMC user area"),
     true},
    {"RawWriteStoppedByTermination", {"raw-write", "raw.bin"}, "updater", 0x08, 3, SIGTERM,
     wrote("24 sectors of the SIF user area"), true},
    {"SyncStoppedByHangUp", {"sync"}, "bootrom", 0x02, 1, SIGHUP, wrote("the updater (48 sectors)"), false},
    {"UpdateStoppedWhileTheRecorderRestarts", {"update"}, "bootrom", 0x03, 1, SIGINT, kRestarting, false},
    {"SyncStoppedWhileTheRecorderRestarts", {"sync"}, "bootrom", 0x03, 1, SIGTERM, kRestarting, false},
    {"FormatStoppedWhileTheRecorderRestarts", {"low-level-format"}, "bootrom", 0x03, 1, SIGINT, kRestarting, false},
};

class InterruptedRun : public ::testing::TestWithParam<StopCase> {
protected:
    InterruptedRun() {
        test::setEnvironmentVariable("XDG_CONFIG_HOME", (home / "config").string());
        fs::copy(fs::path(IMAGEBURNER_SOURCE_DIR) / "examples", work.path(), fs::copy_options::recursive);
        for (const char* left : {"UserAreaFirstSector", "userdata.img"}) fs::remove(work / left);
    }
    Lines commandLog() const {
        std::ifstream in(state / "commands.log");
        Lines lines;
        for (std::string l; std::getline(in, l);) lines.push_back(l);
        return lines;
    }

    test::TempFolder home, state, work;
};

TEST_P(InterruptedRun, StopsAtTheNextCommandAndSaysWhatWasWritten) {
    const StopCase& c = GetParam();
    const char* init[] = {"imageburner-cli", "sim", "init", state.path().c_str(), "--mode", c.mode, "--force"};
    std::ostringstream ignored;
    ASSERT_EQ(cli::run(7, init, ignored, ignored), 0);
    {
        ManualClock clock;
        std::string error;
        auto recorder = sim::Simulator::openFolder(state.path(), clock, error);
        ASSERT_TRUE(recorder) << error;
        sim::Faults faults = recorder->state().faults;
        faults.signalHost = sim::HostSignal{c.code, c.nth, c.signal};
        recorder->setFaults(faults);
    }
    work.write("raw.bin", std::string(64 * 1024, 'r'));
    const auto before = std::distance(fs::directory_iterator(work.path()), fs::directory_iterator());

    std::vector<std::string> argv{(fs::path(IMAGEBURNER_BINARY_DIR) / "src" / "imageburner-cli").string(), "--sim",
                                  state.path().string(), "--workdir", work.path().string()};
    argv.insert(argv.end(), c.command.begin(), c.command.end());
    const auto r = tools::test::runProcess(argv, work.path());

    EXPECT_EQ(r.exitStatus, 130) << r.err;
    // The one message: no error box of the step the stop cut short, no refusal of the commands that wound it up.
    EXPECT_EQ(r.err, c.said);
    EXPECT_EQ(r.out.find(" refused: "), std::string::npos) << r.out;
    // Nothing after the signalled command but the closing of the session.
    const Lines log = commandLog();
    char block[16];
    std::snprintf(block, sizeof block, "fa5566%02x", c.code);
    std::uint32_t seen = 0;
    const auto signalled = std::find_if(log.begin(), log.end(),
                                        [&](const std::string& line) { return line.starts_with(block) && ++seen == c.nth; });
    ASSERT_NE(signalled, log.end());
    EXPECT_EQ(Lines(signalled + 1, log.end()), c.closesSession ? Lines{kEndSession} : Lines{});
    // No temporary file left behind; only the packed image, which the user-area runs make first.
    const auto after = std::distance(fs::directory_iterator(work.path()), fs::directory_iterator());
    EXPECT_EQ(after - before, fs::exists(work / "userdata.img") ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(, InterruptedRun, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ib
