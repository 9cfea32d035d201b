// `update --all` killed while its runs pack their folder images: the images
// stay in the temporary folder, and the next run on several recorders removes
// the folder the killed process left.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cli/recorder_bench.h"

namespace ib {
namespace {

namespace fs = std::filesystem;

using KilledUpdateAll = test::RecorderBench;

// Starts imageburner-cli with `args` and TMPDIR set to `temporary`, its output thrown away.
pid_t startCli(const std::vector<std::string>& args, const fs::path& temporary) {
    const pid_t child = ::fork();
    if (child != 0) return child;
    ::setenv("TMPDIR", temporary.c_str(), 1);
    const int nowhere = ::open("/dev/null", O_WRONLY);
    ::dup2(nowhere, STDOUT_FILENO);
    ::dup2(nowhere, STDERR_FILENO);
    const std::string program = (fs::path(IMAGEBURNER_BINARY_DIR) / "src" / "imageburner-cli").string();
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

int exitStatusOf(pid_t child) {
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(KilledUpdateAll, TheNextRunRemovesTheFolderTheKilledRunLeft) {
    const test::TempFolder temporary;
    const std::vector<std::string> updateAll{"--sim", bus.path().string(), "--workdir", work.path().string(),
                                             "update", "--all"};
    const pid_t killed = startCli(updateAll, temporary.path());
    const fs::path left = temporary / ("imageburner-runs-" + std::to_string(killed));
    EXPECT_TRUE(test::waitFor([&] { return fs::exists(left / "0" / "userdata.img"); }));
    ::kill(killed, SIGKILL);
    EXPECT_EQ(exitStatusOf(killed), -1);
    ASSERT_TRUE(fs::exists(left / "0"));
    EXPECT_EQ(exitStatusOf(startCli(updateAll, temporary.path())), 0);
    EXPECT_FALSE(fs::exists(left));
    EXPECT_TRUE(fs::is_empty(temporary.path()));  // and the second run's own is gone with it
}

}  // namespace
}  // namespace ib
