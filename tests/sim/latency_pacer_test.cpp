// The pacer keeps a transfer on the model's time however the host's pauses
// oversleep or its own work delays the next command, and gives no credit for
// time the device spent idle.
#include "sim/latency_pacer.h"

#include <gtest/gtest.h>

namespace ib::sim {
namespace {

constexpr Latency kUsb2{125, 35'000'000};
constexpr std::uint64_t kBulkBytes = 65536;
constexpr std::uint64_t kCommandUs = 125 + kBulkBytes * 1'000'000 / 35'000'000;  // 1,997 us

TEST(LatencyPacer, LatenessWithinATransferIsMadeUpNotAddedUp) {
    struct Case {
        const char* what;
        std::int64_t overshootMs;  // how much each pause oversleeps
        std::int64_t hostWorkMs;   // the host's own time before each command
    };
    for (const Case& c : {Case{"pauses that oversleep", 1, 0}, Case{"host work between commands", 0, 1},
                          Case{"both", 1, 1}}) {
        SCOPED_TRACE(c.what);
        LatencyPacer pacer;
        const std::int64_t start = 1'000'000;
        std::int64_t now = start;
        const int commands = 1000;
        for (int i = 0; i < commands; ++i) {
            if (i > 0) now += c.hostWorkMs;
            const std::int64_t pause = pacer.pauseMsFor(kUsb2, kBulkBytes, now);
            if (pause > 0) now += pause + c.overshootMs;
        }
        const auto modelMs = static_cast<std::int64_t>(commands * kCommandUs / 1000);
        EXPECT_GE(now - start, modelMs);
        EXPECT_LE(now - start, modelMs + 2);
    }
}

TEST(LatencyPacer, ACommandAfterAnIdleGapOwesOnlyItsOwnTime) {
    const std::int64_t tenPiecesMs = (125 + 10 * kBulkBytes * 1'000'000 / 35'000'000) / 1000;  // 18
    for (const std::int64_t idleMs : {std::int64_t{10}, std::int64_t{3'000}}) {  // the shortest fixed wait, a long one
        SCOPED_TRACE(idleMs);
        LatencyPacer pacer;
        std::int64_t now = 5'000;
        now += pacer.pauseMsFor(kUsb2, kBulkBytes, now);
        now += idleMs;
        EXPECT_EQ(pacer.pauseMsFor(kUsb2, kBulkBytes * 10, now), tenPiecesMs);
    }
}

}  // namespace
}  // namespace ib::sim
