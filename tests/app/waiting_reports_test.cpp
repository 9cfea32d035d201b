// A worker's reports waiting for the window: however they are shown (at the
// periodic call, posted ahead of the worker's next call, or before a status of
// the window's own thread), only the latest status is painted, and every
// status before it still reaches the window, in order, as passed over.
#include <gtest/gtest.h>

#include <functional>

#include "app/waiting_reports.h"
#include "support/recording_port.h"

namespace ib {
namespace {

using test::statusLine;

std::vector<std::string> passedOverThenPainted(std::initializer_list<int> passedOver, int painted) {
    std::vector<std::string> lines;
    for (int percent : passedOver) lines.push_back("passed over: " + statusLine("s", percent));
    lines.push_back(statusLine("s", painted));
    return lines;
}

TEST(WaitingReports, EveryStatusReachesTheWindowInOrderAndOnlyTheLatestIsPainted) {
    const struct {
        const char* way;
        std::function<void(WaitingReports&, UserInterfacePort&)> show;
        std::vector<std::string> expected;
    } ways[] = {
        {"periodic call", [](WaitingReports& w, UserInterfacePort& t) { w.showOn(t); },
         passedOverThenPainted({1, 2}, 3)},
        {"posted ahead of a call",
         [](WaitingReports& w, UserInterfacePort& t) { WaitingReports::show(t, w.takeStatuses()); },
         passedOverThenPainted({1, 2}, 3)},
        {"before the window's own status",
         [](WaitingReports& w, UserInterfacePort& t) { w.showAfterWaiting(t, {"s", 4}); },
         passedOverThenPainted({1, 2, 3}, 4)},
    };
    for (const auto& way : ways) {
        WaitingReports waiting;
        test::RecordingPort target;
        for (int percent : {1, 2, 3}) waiting.status({"s", percent});
        way.show(waiting, target);
        EXPECT_EQ(target.take(), way.expected) << way.way;
        // Nothing is shown twice.
        waiting.showOn(target);
        EXPECT_TRUE(target.take().empty()) << way.way;
    }
}

}  // namespace
}  // namespace ib
