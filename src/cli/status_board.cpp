// Status lines of several runs. See status_board.h.
#include "cli/status_board.h"

#include <ostream>

namespace ib::cli {

namespace {

bool startsCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }

// The columns a UTF-8 text takes, one per character (the status texts are Latin letters).
std::size_t columnsOf(const std::string& text) {
    std::size_t columns = 0;
    for (const char byte : text) columns += startsCharacter(byte) ? 1 : 0;
    return columns;
}

// The text's first `columns` characters, never half of one.
std::string cutToColumns(const std::string& text, std::size_t columns) {
    std::size_t taken = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (startsCharacter(text[i]) && taken++ == columns) return text.substr(0, i);
    return text;
}

// The rows a line drawn `width` columns wide takes on a terminal `columns`
// wide, which wraps it again when it is narrower now than it was.
std::size_t rowsTaken(std::size_t width, std::size_t columns) {
    return columns == 0 || width <= columns ? 1 : (width + columns - 1) / columns;
}

}  // namespace

StatusBoard::StatusBoard(std::ostream& out, bool terminal, std::vector<std::string> names,
                         std::function<std::size_t()> columns)
    : m_out(out),
      m_terminal(terminal),
      m_names(std::move(names)),
      m_latest(m_names.size()),
      m_columns(std::move(columns)) {}

std::size_t StatusBoard::addRow(const std::string& name) {
    std::lock_guard lock(m_mutex);
    m_names.push_back(name);
    m_latest.emplace_back();
    return m_names.size() - 1;
}

void StatusBoard::line(std::size_t row, const std::string& text) {
    std::lock_guard lock(m_mutex);
    if (!m_terminal) {
        m_out << '[' << m_names[row] << "] " << text << '\n' << std::flush;
        return;
    }
    m_latest[row] = text;
    redraw();
}

void StatusBoard::refresh() {
    std::lock_guard lock(m_mutex);
    if (m_terminal && m_columns && !m_drawnWidths.empty() && m_columns() != m_drawnColumns) redraw();
}

void StatusBoard::redraw() {
    const std::size_t columns = m_columns ? m_columns() : 0;
    // Back to the first row, then each row cleared and written again. After a
    // change of width the rows drawn before may take more rows now, and
    // whatever is left below them is cleared.
    std::size_t up = 0;
    for (const std::size_t width : m_drawnWidths) up += rowsTaken(width, columns);
    if (up > 0) m_out << "\x1b[" << up << 'A';
    if (up > 0 && columns != m_drawnColumns) m_out << "\r\x1b[J";
    m_drawnWidths.clear();
    for (std::size_t row = 0; row < m_names.size(); ++row) {
        const std::string text = '[' + m_names[row] + "] " + m_latest[row];
        // One column short of the width: some terminals wrap as soon as the last one is written.
        const std::string shown = columns > 1 ? cutToColumns(text, columns - 1) : text;
        m_out << "\r\x1b[K" << shown << '\n';
        m_drawnWidths.push_back(columnsOf(shown));
    }
    m_out << std::flush;
    m_drawnColumns = columns;
}

LineSink::~LineSink() {
    if (!m_pending.empty()) m_sink(m_pending);
}

LineSink::int_type LineSink::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    if (ch == '\n') {
        m_sink(m_pending);
        m_pending.clear();
    } else if (ch != '\r') {
        m_pending += ch;
    }
    return c;
}

}  // namespace ib::cli
