// A console draws the progress bar and the status board in place only once
// virtual-terminal processing is on; one that refuses it gets plain lines.
#include <gtest/gtest.h>

#include <optional>

#include "platform/windows/console_mode.h"

namespace ib::platform {
namespace {

TEST(ConsoleMode, VirtualTerminalProcessingIsTurnedOnWhereTheConsoleHasIt) {
    constexpr std::uint32_t kProcessedAndWrapping = 0x0003;
    const struct {
        std::uint32_t mode;
        bool consoleTakesIt;
        bool drawsInPlace;
        std::optional<std::uint32_t> asked;
    } cases[] = {
        {kProcessedAndWrapping, true, true, kProcessedAndWrapping | kVirtualTerminalProcessing},
        {kProcessedAndWrapping, false, false, kProcessedAndWrapping | kVirtualTerminalProcessing},
        {kProcessedAndWrapping | kVirtualTerminalProcessing, false, true, std::nullopt},
    };
    for (const auto& c : cases) {
        std::optional<std::uint32_t> asked;
        const bool drawsInPlace = turnOnVirtualTerminal(c.mode, [&](std::uint32_t wanted) {
            asked = wanted;
            return c.consoleTakesIt;
        });
        EXPECT_EQ(drawsInPlace, c.drawsInPlace) << c.mode << c.consoleTakesIt;
        EXPECT_EQ(asked, c.asked) << c.mode << c.consoleTakesIt;
    }
}

}  // namespace
}  // namespace ib::platform
