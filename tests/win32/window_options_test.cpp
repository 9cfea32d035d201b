// The window program's command line.
#include <gtest/gtest.h>

#include "win32/window_options.h"

namespace ib::win32 {
namespace {

TEST(WindowOptions, EachOptionTakesTheNextArgumentOrTheTextAfterItsEqualsSign) {
    std::string error;
    const auto options = parseWindowOptions(
        {"--sim", "C:\\sim one", "--workdir=D:\\zażółć", "--sim=E:\\two", "--log", "a.log", "--record", "r.jsonl"},
        error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->simulatorFolders, (std::vector<std::string>{"C:\\sim one", "E:\\two"}));
    EXPECT_EQ(options->workingDirectory, "D:\\zażółć");
    EXPECT_TRUE(options->workingDirectoryGiven);
    EXPECT_EQ(options->logFile, "a.log");
    EXPECT_EQ(options->recordFile, "r.jsonl");
}

TEST(WindowOptions, NoneGiveTheCurrentFolderAndNoSimulator) {
    std::string error;
    const auto options = parseWindowOptions({}, error);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->workingDirectory, ".");
    EXPECT_FALSE(options->workingDirectoryGiven);  // chosen as a menu start's
    EXPECT_TRUE(options->simulatorFolders.empty());
    EXPECT_TRUE(options->logFile.empty());
}

TEST(WindowOptions, HelpOrVersionAnywhereAskForTheirTextInsteadOfTheDialog) {
    const struct {
        std::vector<std::string> arguments;
        WindowRequest request;
    } cases[] = {
        {{"--help"}, WindowRequest::Usage},
        {{"--sim", "C:\\sim", "-h"}, WindowRequest::Usage},
        {{"-?"}, WindowRequest::Usage},
        {{"/?"}, WindowRequest::Usage},
        {{"--version", "--log", "a.log"}, WindowRequest::Version},
        {{"--sim", "--help"}, WindowRequest::Dialog},  // the folder's name, not the option
    };
    for (const auto& c : cases) {
        std::string error;
        const auto options = parseWindowOptions(c.arguments, error);
        ASSERT_TRUE(options) << error;
        EXPECT_EQ(options->request, c.request) << c.arguments.back();
    }
}

TEST(WindowOptions, AnUnknownOptionOrAMissingValueIsRefusedWithTheReason) {
    const struct {
        std::vector<std::string> arguments;
        const char* reason;
    } cases[] = {
        {{"--simulator", "x"}, "Unknown option --simulator"},
        {{"stray"}, "Unknown option stray"},
        {{"--workdir"}, "Option --workdir needs a value"},
        {{"--sim", "a", "--log"}, "Option --log needs a value"},
        {{"--help", "--helpme"}, "Unknown option --helpme"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(parseWindowOptions(c.arguments, error));
        EXPECT_EQ(error, c.reason);
    }
}

}  // namespace
}  // namespace ib::win32
