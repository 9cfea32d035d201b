// Killed runs in a child process. See killed_run.h.
#include "support/killed_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace ib::test {
namespace {

constexpr int kKilledStatus = 137;

std::size_t commandsWithCode(sim::Simulator& sim, VendorCode code) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "fa5566%02x", static_cast<unsigned>(code));
    const auto log = sim.commandLog();
    return static_cast<std::size_t>(
        std::count_if(log.begin(), log.end(), [&](const std::string& line) { return line.starts_with(prefix); }));
}

}  // namespace

bool endedAsKilled(const std::function<void()>& run) {
    const pid_t child = ::fork();
    if (child == 0) {
        run();
        ::_exit(0);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == kKilledStatus;
}

void endAsKilled() { ::_exit(kKilledStatus); }

void CommandKillClock::sleepMs(std::int64_t ms) {
    m_time.sleepMs(ms);
    if (m_afterCommand) m_afterCommand();
}

bool CommandKillClock::runKilledAt(sim::Simulator& sim, VendorCode code, std::uint32_t n,
                                   const std::function<void()>& run) {
    return endedAsKilled([&] {
        // Every command then pauses, which is when this clock looks at the log.
        sim.setLatency({.commandDelayUs = 1000, .bandwidthBytesPerSecond = 0});
        const std::size_t stopAt = commandsWithCode(sim, code) + n;
        m_afterCommand = [&sim, code, stopAt] {
            if (commandsWithCode(sim, code) >= stopAt) endAsKilled();
        };
        run();
    });
}

}  // namespace ib::test
