// Argument vectors quoted so that the child's command-line parser gives them back.
#include <gtest/gtest.h>

#include "platform/windows/command_line_quoting.h"

namespace ib::platform {
namespace {

TEST(CommandLineQuoting, ArgumentsFollowTheParserRules) {
    struct Case {
        const char* argument;
        const char* quoted;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"", "\"\""},
        {"two words", "\"two words\""},
        {"tab\there", "\"tab\there\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"a\"b", "\"a\\\"b\""},
        {"C:\\dir\\", "C:\\dir\\"},                      // backslashes alone stay literal
        {"C:\\my dir\\", "\"C:\\my dir\\\\\""},          // before the closing quote: doubled
        {"x\\\"y", "\"x\\\\\\\"y\""},                    // a backslash before a quote: 2n+1
        {"a\\\\b c", "\"a\\\\b c\""},                    // inside, not before a quote: as they are
    };
    for (const auto& c : cases) EXPECT_EQ(quotedArgument(c.argument), c.quoted) << c.argument;
}

TEST(CommandLineQuoting, TheProgramIsQuotedAndArgumentsFollowWithOneSpace) {
    EXPECT_EQ(windowsCommandLine("C:\\Program Files\\ib\\mergeimg.exe", {"in.img", "out dir\\"}),
              "\"C:\\Program Files\\ib\\mergeimg.exe\" in.img \"out dir\\\\\"");
    EXPECT_EQ(windowsCommandLine("t.exe", {}), "\"t.exe\"");
}

}  // namespace
}  // namespace ib::platform
