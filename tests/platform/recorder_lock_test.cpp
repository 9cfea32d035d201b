// One program at a time per recorder: while one process has the simulated
// recorder's state folder open, or a real recorder's lock file, a second one
// is told who has it and sends nothing.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "platform/linux/recorder_lock_place.h"
#include "platform/linux/sg_volume_provider.h"
#include "seams/recorder_lock_file.h"
#include "sim/state_folder.h"
#include "support/temp_folder.h"

namespace ib {
namespace {

std::uintmax_t logSize(const std::filesystem::path& state) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(state / "commands.log", ec);
    return ec ? 0 : size;
}

// What the program printed, standard output then standard error, in `said`.
int runCli(std::vector<std::string> args, std::string& said) {
    args.insert(args.begin(), "imageburner-cli");
    std::vector<const char*> argv;
    for (auto& a : args) argv.push_back(a.c_str());
    std::ostringstream out, errors;
    const int status = cli::run(static_cast<int>(argv.size()), argv.data(), out, errors);
    said = out.str() + errors.str();
    return status;
}

TEST(RecorderLock, ASecondProgramIsToldWhoHasTheRecorderAndSendsNothing) {
    test::TempFolder state, work;
    std::string err;
    ASSERT_EQ(runCli({"sim", "init", state.path().string(), "--mode", "updater", "--force"}, err), 0) << err;

    int ready[2], release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {  // the first program: holds the folder until told to let go
        std::string error;
        const auto opened = sim::StateFolder::open(state.path(), error);
        char byte = opened.folder ? 1 : 0;
        if (::write(ready[1], &byte, 1) != 1 || ::read(release[0], &byte, 1) != 1) ::_exit(2);
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ASSERT_EQ(byte, 1);
    const auto logBefore = logSize(state.path());

    EXPECT_EQ(runCli({"--sim", state.path().string(), "--workdir", work.path().string(), "probe"}, err), 1);
    EXPECT_NE(err.find("The recorder is in use by another program (pid " + std::to_string(holder) + ")."),
              std::string::npos)
        << err;
    EXPECT_EQ(logSize(state.path()), logBefore);

    ASSERT_EQ(::write(release[1], &byte, 1), 1);
    int status = 0;
    ASSERT_EQ(::waitpid(holder, &status, 0), holder);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(runCli({"--sim", state.path().string(), "--workdir", work.path().string(), "probe"}, err), 0) << err;
    for (int fd : {ready[0], ready[1], release[0], release[1]}) ::close(fd);
}

TEST(RecorderLock, ARealRecorderAnotherProgramHoldsIsRefusedBeforeItsNodeIsOpened) {
    test::TempFolder locks, nodes;
    platform::UsbScsiDisk disk{"sdb", "/sys/devices/pci0000:00/usb1/1-2/1-2:1.0/host6/target6:0:0/6:0:0:0/block/sdb",
                               "", (nodes.path() / "sg2").string(), std::nullopt, "SN1", 0};
    platform::SgVolumeProvider volumes([&] { return std::optional(std::vector{disk}); }, locks.path());
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t other = ::fork();
    ASSERT_GE(other, 0);
    if (other == 0) {  // the other program: takes the recorder's lock and keeps it until it is ended
        auto lock = recorderLockFile(locks.path() / "imageburner-recorder-1-2.lock");
        const char taken = lock->take() ? 0 : 1;
        if (::write(ready[1], &taken, 1) != 1) ::_exit(2);
        ::pause();
    }
    char taken = 0;
    ASSERT_EQ(::read(ready[0], &taken, 1), 1);
    ASSERT_EQ(taken, 1);

    std::string why;
    EXPECT_EQ(volumes.openVolume('D', &why), nullptr);
    EXPECT_EQ(why, "The recorder is in use by another program (pid " + std::to_string(other) + ").");

    ::kill(other, SIGTERM);  // its lock goes with it
    ::waitpid(other, nullptr, 0);
    EXPECT_EQ(volumes.openVolume('D', &why), nullptr);
    EXPECT_TRUE(why.starts_with("cannot open " + disk.genericNode)) << why;  // taken: on to the node
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(RecorderLock, ARecordersLockIsNamedFromItsUsbPort) {
    const struct {
        const char* sysPath;
        const char* lockName;
    } cases[] = {
        {"/sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2.3/1-2.3:1.0/host6/target6:0:0/6:0:0:0/block/sdb",
         "imageburner-recorder-1-2.3.lock"},
        {"/sys/block/sdd", "imageburner-recorder-sdd.lock"},  // no USB interface in the path: the kernel name
    };
    for (const auto& c : cases) {
        platform::UsbScsiDisk disk;
        disk.sysPath = c.sysPath;
        disk.kernelName = std::filesystem::path(c.sysPath).filename().string();
        EXPECT_EQ(recorderLockFileName(platform::recorderIdentity(disk)), c.lockName) << c.sysPath;
    }
    EXPECT_EQ(recorderLockFileName("QUB 01/02"), "imageburner-recorder-QUB_01_02.lock");
}

}  // namespace
}  // namespace ib
