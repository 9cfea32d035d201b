// The status lines of runs on several recorders: redrawn in place on a
// terminal, one prefixed line each elsewhere.
#include <gtest/gtest.h>

#include <sstream>
#include <string_view>

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

// A terminal screen as far as the board uses one: characters wrap at the
// width, "\r", "\n", ESC[nA (up), ESC[K (clear to the line's end) and ESC[J
// (clear to the screen's end). A narrower width keeps each row's start.
class Screen {
public:
    explicit Screen(std::size_t width) : m_width(width) {}
    void resize(std::size_t width) {
        m_width = width;
        for (auto& row : m_rows)
            if (row.size() > width) row.resize(width);
    }
    void show(std::string_view out) {
        for (std::size_t i = 0; i < out.size(); ++i) {
            if (out[i] == '\x1b') {
                const std::size_t end = out.find_first_of("AKJ", i);
                const int n = end > i + 2 ? std::stoi(std::string(out.substr(i + 2, end - i - 2))) : 1;
                if (out[end] == 'A') m_row = m_row > static_cast<std::size_t>(n) ? m_row - n : 0;
                if (out[end] == 'K') row().resize(std::min(row().size(), m_column));
                if (out[end] == 'J') m_rows.resize(m_row + 1), row().resize(std::min(row().size(), m_column));
                i = end;
            } else if (out[i] == '\r') {
                m_column = 0;
            } else if (out[i] == '\n') {
                ++m_row, m_column = 0;
            } else if ((static_cast<unsigned char>(out[i]) & 0xC0) != 0x80) {
                if (m_column == m_width) ++m_row, m_column = 0;  // the wrap a long line makes
                row().resize(std::max(row().size(), m_column + 1), U' ');
                row()[m_column++] = static_cast<char32_t>(out[i]);  // a character stands for its first byte
            }
        }
    }
    // The rows that hold any text.
    std::size_t usedRows() const {
        std::size_t used = 0;
        for (const auto& row : m_rows) used += row.find_first_not_of(U' ') != std::u32string::npos ? 1 : 0;
        return used;
    }

private:
    std::u32string& row() {
        if (m_rows.size() <= m_row) m_rows.resize(m_row + 1);
        return m_rows[m_row];
    }
    std::size_t m_width, m_row = 0, m_column = 0;
    std::vector<std::u32string> m_rows;
};

TEST(StatusBoard, OnANarrowTerminalRowsAreCutToTheWidthAndDrawnAgainWhenItChanges) {
    std::size_t width = 50;
    std::ostringstream out;
    std::vector<std::string> names;
    for (int i = 1; i <= 8; ++i) names.push_back("1-" + std::to_string(i));
    StatusBoard board(out, true, names, [&width] { return width; });
    Screen screen(width);
    const std::string longText = "Zaczekaj na gotwość rejestratora... Ustawienia USER 1 (40 %)";
    for (int round = 0; round < 3; ++round)
        for (std::size_t row = 0; row < names.size(); ++row) board.line(row, longText);
    screen.show(out.str());
    EXPECT_EQ(screen.usedRows(), 8u);  // no wrapped part left behind
    out.str("");
    width = 30;
    screen.resize(width);
    board.refresh();
    screen.show(out.str());
    EXPECT_EQ(screen.usedRows(), 8u);
    EXPECT_NE(out.str().find("\r\x1b[K[1-8] Zaczekaj na gotwość rej\n"), std::string::npos) << out.str();
    out.str("");
    board.refresh();  // the same width: nothing to draw
    EXPECT_EQ(out.str(), "");
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
