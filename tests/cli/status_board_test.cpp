// The status lines of runs on several recorders: redrawn in place on a
// terminal, one prefixed line each elsewhere.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/status_board.h"

namespace ib::cli {
namespace {

TEST(StatusBoard, ATerminalRedrawsEveryRowInPlaceAndAPipeGetsPrefixedLines) {
    std::ostringstream terminal, pipe;
    StatusBoard live(terminal, true, {"1-1", "1-2"});
    StatusBoard plain(pipe, false, {"1-1", "1-2"});
    for (StatusBoard* board : {&live, &plain}) {
        board->line(1, "ŁĄCZENIE... (0 %)");
        board->line(0, "Ustawienia USER 1 (40 %)");
        board->line(board->addRow("1-3.1"), "done");
    }
    const std::string clear = "\r\x1b[K";
    EXPECT_EQ(terminal.str(), clear + "[1-1] \n" + clear + "[1-2] ŁĄCZENIE... (0 %)\n" +
                                  "\x1b[2A" + clear + "[1-1] Ustawienia USER 1 (40 %)\n" + clear +
                                  "[1-2] ŁĄCZENIE... (0 %)\n" +
                                  "\x1b[2A" + clear + "[1-1] Ustawienia USER 1 (40 %)\n" + clear +
                                  "[1-2] ŁĄCZENIE... (0 %)\n" + clear + "[1-3.1] done\n");
    EXPECT_EQ(pipe.str(), "[1-2] ŁĄCZENIE... (0 %)\n[1-1] Ustawienia USER 1 (40 %)\n[1-3.1] done\n");
}

TEST(StatusBoard, ALineSinkHandsOnWholeLinesWithoutTheirBreaks) {
    std::vector<std::string> lines;
    {
        LineSink sink([&](const std::string& line) { lines.push_back(line); });
        std::ostream out(&sink);
        out << "first\r\nsecond\n" << "unfinished";
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"first", "second", "unfinished"}));
}

}  // namespace
}  // namespace ib::cli
