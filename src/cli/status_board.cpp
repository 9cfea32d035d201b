// Status lines of several runs. See status_board.h.
#include "cli/status_board.h"

#include <ostream>

namespace ib::cli {

StatusBoard::StatusBoard(std::ostream& out, bool terminal, std::vector<std::string> names)
    : m_out(out), m_terminal(terminal), m_names(std::move(names)), m_latest(m_names.size()) {}

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

void StatusBoard::redraw() {
    // Back to the first row, then each row cleared and written again.
    if (m_drawnRows > 0) m_out << "\x1b[" << m_drawnRows << 'A';
    for (std::size_t row = 0; row < m_names.size(); ++row)
        m_out << "\r\x1b[K[" << m_names[row] << "] " << m_latest[row] << '\n';
    m_out << std::flush;
    m_drawnRows = m_names.size();
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
