// The threads of a station's runs: each is joined once its work has ended,
// while the others go on, so that an all-day station does not pile them up.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "cli/run_threads.h"

namespace ib::cli {
namespace {

TEST(RunThreads, AThreadIsJoinedOnceItsWorkHasEndedWhileTheOthersGoOn) {
    std::atomic<bool> release{false};
    std::atomic<int> ended{0};
    RunThreads threads;
    threads.start([&] { ++ended; });
    threads.start([&] {
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ++ended;
    });
    // What joinEnded() says once it stops changing, or after ten seconds.
    const auto joinedUntil = [&threads](std::size_t expected) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        std::size_t going = threads.joinEnded();
        while (going != expected && std::chrono::steady_clock::now() < deadline) going = threads.joinEnded();
        return going;
    };
    EXPECT_EQ(joinedUntil(1), 1u);  // the ended one was joined; the waiting one goes on
    EXPECT_EQ(ended, 1);
    release = true;
    EXPECT_EQ(joinedUntil(0), 0u);
    EXPECT_EQ(ended, 2);
}

}  // namespace
}  // namespace ib::cli
