// Helper tools run without a shell: arguments arrive exactly as given, in the
// working directory asked for, and the exit status comes back.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include <unistd.h>

#include "platform/linux/posix_process_runner.h"
#include "support/temp_folder.h"

namespace ib::platform {
namespace {

std::string contentsOf(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(PosixProcessRunner, ReturnsTheExitStatus) {
    PosixProcessRunner runner;
    test::TempFolder folder;
    EXPECT_EQ(runner.run("/bin/sh", {"-c", "exit 0"}, folder.path()), 0);
    EXPECT_EQ(runner.run("/bin/sh", {"-c", "exit 3"}, folder.path()), 3);
}

TEST(PosixProcessRunner, ArgumentsArriveUnharmedInTheWorkingDirectory) {
    PosixProcessRunner runner;
    test::TempFolder folder;
    const std::string awkward = "part \"one\" $(touch injected) `touch injected2`; *";
    // The child writes its working directory and each argument on a line of its own.
    const std::string script = "pwd > argv.txt; for a in \"$@\"; do printf '%s\\n' \"$a\" >> argv.txt; done";
    ASSERT_EQ(runner.run("/bin/sh", {"-c", script, "sh", awkward, "second"}, folder.path()), 0);

    const auto realFolder = std::filesystem::canonical(folder.path()).string();
    EXPECT_EQ(contentsOf(folder.path() / "argv.txt"), realFolder + "\n" + awkward + "\nsecond\n");
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "injected"));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "injected2"));
}

TEST(PosixProcessRunner, ARelativeProgramIsTakenFromTheCallersDirectory) {
    PosixProcessRunner runner;
    test::TempFolder caller;
    test::TempFolder elsewhere;
    const auto previous = std::filesystem::current_path();
    std::filesystem::create_symlink("/bin/sh", caller.path() / "tool");
    std::filesystem::current_path(caller.path());
    const int status = runner.run("./tool", {"-c", "exit 7"}, elsewhere.path());
    std::filesystem::current_path(previous);
    EXPECT_EQ(status, 7);
}

TEST(PosixProcessRunner, FailuresToStartOrToExitNormallyGiveMinusOne) {
    PosixProcessRunner runner;
    test::TempFolder folder;
    EXPECT_EQ(runner.run(folder.path() / "missing-tool", {}, folder.path()), -1);
    EXPECT_EQ(runner.run("/bin/sh", {"-c", "exit 0"}, folder.path() / "missing-folder"), -1);
    EXPECT_EQ(runner.run("/bin/sh", {"-c", "kill -9 $$"}, folder.path()), -1);
}

TEST(PosixProcessRunner, TheToolRunsInAProcessGroupOfItsOwnSoCtrlCReachesOnlyTheProgram) {
    PosixProcessRunner runner;
    test::TempFolder folder;
    // Field 5 of /proc/PID/stat is the process group.
    ASSERT_EQ(runner.run("/bin/sh", {"-c", "cut -d' ' -f5 /proc/$$/stat > group.txt"}, folder.path()), 0);
    EXPECT_NE(std::stol(contentsOf(folder.path() / "group.txt")), static_cast<long>(::getpgrp()));
}

}  // namespace
}  // namespace ib::platform
