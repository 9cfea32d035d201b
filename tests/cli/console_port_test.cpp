// The console's message boxes: one line each on standard error, the text as the
// operation wrote it apart from its own closing line break; its progress bar;
// its answer to the question to unmount the recorder's storage.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/console_port.h"

namespace ib {
namespace {

TEST(ConsolePort, AMessageBoxLosesOnlyItsClosingLineBreak) {
    const std::pair<std::string, std::string> cases[] = {
        {"Error 0x20: Please burn-in firmware first a.bin \n",
         "Error Message: Error 0x20: Please burn-in firmware first a.bin \n"},
        {"Error : Lost Bin File\r\n", "Error Message: Error : Lost Bin File\n"},
        {"two breaks\n\n", "Error Message: two breaks\n\n"},
        {"trailing blanks  ", "Error Message: trailing blanks  \n"},
    };
    for (const auto& [text, printed] : cases) {
        std::ostringstream out, err;
        cli::ConsolePort port(out, err, false, {});
        port.showMessageBox(MessageBoxKind::Error, text);
        EXPECT_EQ(err.str(), printed) << text;
        EXPECT_EQ(out.str(), "");
    }
}

TEST(ConsolePort, AProgressCountPastTheTotalDrawsAFullBar) {
    std::ostringstream out, err;
    cli::ConsolePort port(out, err, true, {});
    port.transferProgress(3 << 20, 2 << 20);
    EXPECT_NE(out.str().find("[" + std::string(30, '#') + "] 2.0 MiB / 2.0 MiB"), std::string::npos) << out.str();
}

// The question to unmount the recorder's storage is answered by --unmount;
// without it the run says how to have it unmounted.
TEST(ConsolePort, TheUnmountQuestionIsAnsweredByTheOption) {
    for (const bool unmount : {false, true}) {
        std::ostringstream out, err;
        cli::ConsolePort port(out, err, false, {}, false, unmount);
        EXPECT_EQ(port.askYesNo(Question::UnmountStorage, "mounted"), unmount);
        EXPECT_EQ(out.str(), unmount ? "Unmounting the recorder's storage (--unmount)\n" : "");
        EXPECT_EQ(err.str(),
                  unmount ? "" : "The recorder's storage stays mounted: --unmount unmounts it and goes on.\n");
    }
}

}  // namespace
}  // namespace ib
