// The output of runs on several recorders at once: one status line per
// recorder that is redrawn in place on a terminal, each cut to the terminal's
// width so that none wraps, or, when the output is not a terminal (a log, a
// pipe), every line as it comes, prefixed with the recorder's port:
// "[1-2.3] Ustawienia USER 1 (40 %)".
#pragma once

#include <fstream>
#include <functional>
#include <iosfwd>
#include <mutex>
#include <streambuf>
#include <string>
#include <vector>

namespace ib::cli {

class StatusBoard {
public:
    // `columns` tells the terminal's width now (0: unknown, and lines are not cut).
    StatusBoard(std::ostream& out, bool terminal, std::vector<std::string> names,
                std::function<std::size_t()> columns = {});
    // A row for a recorder that arrived later; its index.
    std::size_t addRow(const std::string& name);
    // A new line from the run on recorder `row`.
    void line(std::size_t row, const std::string& text);
    // Draws the rows again when the terminal's width changed since they were
    // drawn; called now and then while the runs go on.
    void refresh();

private:
    void redraw();

    std::ostream& m_out;
    const bool m_terminal;
    std::vector<std::string> m_names;
    std::vector<std::string> m_latest;  // per row, shown on a terminal
    std::function<std::size_t()> m_columns;
    std::size_t m_drawnColumns = 0;       // the width the rows were drawn for
    std::vector<std::size_t> m_drawnWidths;  // the columns each drawn row takes
    std::mutex m_mutex;  // the runs write from threads of their own
};

// A stream buffer that hands each complete line to `sink`, without its line break.
class LineSink final : public std::streambuf {
public:
    explicit LineSink(std::function<void(const std::string&)> sink) : m_sink(std::move(sink)) {}
    ~LineSink() override;

protected:
    int_type overflow(int_type c) override;

private:
    std::function<void(const std::string&)> m_sink;
    std::string m_pending;
};

}  // namespace ib::cli
