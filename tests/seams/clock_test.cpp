// Waits and timeouts run on a clock that a change of the wall clock does not move.
#include <gtest/gtest.h>

#include <chrono>

#include "seams/clock.h"

namespace ib {
namespace {

TEST(SystemClock, ReadsTheSteadyClock) {
    using namespace std::chrono;
    const auto steadyMs = [] { return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count(); };
    SystemClock clock;
    const auto before = steadyMs();
    const auto now = clock.nowMs();
    EXPECT_GE(now, before);
    EXPECT_LE(now, steadyMs());
}

}  // namespace
}  // namespace ib
