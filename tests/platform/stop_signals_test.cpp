// Termination signals as a stop request: the first sets the flag and wakes a
// waiting event loop, the second ends the program at once with status 130.
// Run in a child process, which the handlers stay with.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "platform/stop_signals.h"

namespace ib::platform {
namespace {

// Exit statuses of the child that say how far it got.
enum ChildStatus { kFirstSignalNotSeen = 10, kSurvivedTheSecondSignal = 11 };

TEST(StopSignals, TheFirstSignalAsksToStopAndTheSecondEndsTheProgramAtOnce) {
    for (const int second : {SIGINT, SIGTERM, SIGHUP}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const StopSignals signals = installStopSignals();
            ::raise(SIGHUP);
            pollfd wake{signals.wakeFd, POLLIN, 0};
            if (!signals.requested || ::poll(&wake, 1, 0) != 1) ::_exit(kFirstSignalNotSeen);
            ::raise(second);
            ::_exit(kSurvivedTheSecondSignal);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 130) << "second signal " << second;
    }
}

}  // namespace
}  // namespace ib::platform
