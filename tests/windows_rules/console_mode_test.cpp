// A console draws the progress bar and the status board in place only once
// virtual-terminal processing is on; one that refuses it gets plain lines.
#include <gtest/gtest.h>

#include "platform/windows/console_mode.h"

namespace ib::platform {
namespace {

TEST(ConsoleMode, VirtualTerminalProcessingIsTurnedOnWhereTheConsoleHasIt) {
    constexpr std::uint32_t kProcessed = 0x0003, kOn = kProcessed | kVirtualTerminalProcessing;
    const struct {
        std::uint32_t mode;
        bool consoleTakesIt;
        bool drawsInPlace;
        std::uint32_t asked;  // 0: nothing asked
    } cases[] = {{kProcessed, true, true, kOn}, {kProcessed, false, false, kOn}, {kOn, false, true, 0}};
    for (const auto& c : cases) {
        std::uint32_t asked = 0;
        const auto console = [&](std::uint32_t wanted) {
            asked = wanted;
            return c.consoleTakesIt;
        };
        EXPECT_EQ(turnOnVirtualTerminal(c.mode, console), c.drawsInPlace);
        EXPECT_EQ(asked, c.asked) << c.mode << c.consoleTakesIt;
    }
}

}  // namespace
}  // namespace ib::platform
