// Console rendering of the user-interface port. See console_port.h.
#include "cli/console_port.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

#include "operation/status_texts.h"

namespace ib::cli {
namespace {

// Message texts often end in a line break of their own ("...Lost Bin File\n"), which the
// line printed for the box already gives. Blanks before it belong to the text.
std::string withoutClosingLineBreak(std::string text) {
    if (text.ends_with("\r\n"))
        text.resize(text.size() - 2);
    else if (text.ends_with('\n'))
        text.pop_back();
    return text;
}

std::string mebibytes(std::uint64_t bytes) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f MiB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return buffer;
}

}  // namespace

ConsolePort::ConsolePort(std::ostream& out, std::ostream& err, bool terminal, std::deque<std::string> picks,
                         bool percentInLines, bool unmount)
    : m_out(out),
      m_err(err),
      m_terminal(terminal),
      m_percentInLines(percentInLines),
      m_unmount(unmount),
      m_picks(std::move(picks)) {}

ConsolePort::~ConsolePort() {
    std::lock_guard lock(m_mutex);
    endBar();
}

void ConsolePort::renderStatus(const StatusState& state) {
    std::lock_guard lock(m_mutex);
    // The percent drives the bar; a text repeated with a new percent is one line.
    if (!m_presenceShown && (state.text == text::kRecorderReady || state.text == text::kRecorderNotFound)) return;
    const std::string line =
        m_percentInLines ? state.text + " (" + std::to_string(state.percent / 10 * 10) + " %)" : state.text;
    if (line != m_lastLine) printLine(line);
}

void ConsolePort::showStepMessage(const std::string& text) {
    std::lock_guard lock(m_mutex);
    printLine(text);
}

void ConsolePort::showWarning(const std::string& text) {
    std::lock_guard lock(m_mutex);
    endBar();
    m_err << "Warning: " << text << '\n' << std::flush;
}

void ConsolePort::showMessageBox(MessageBoxKind kind, const std::string& text) {
    std::lock_guard lock(m_mutex);
    endBar();
    const std::string caption = captionOf(kind);
    m_err << (caption.empty() ? "" : caption + ": ") << withoutClosingLineBreak(text) << '\n' << std::flush;
    m_lastLine.clear();
}

bool ConsolePort::askYesNo(Question question, const std::string&) {
    if (question != Question::UnmountStorage) return false;
    std::lock_guard lock(m_mutex);
    endBar();
    if (m_unmount)
        printLine("Unmounting the recorder's storage (--unmount)");
    else
        m_err << "The recorder's storage stays mounted: --unmount unmounts it and goes on.\n" << std::flush;
    return m_unmount;
}

void ConsolePort::setControlEnabled(ControlId control, bool enabled) {
    std::lock_guard lock(m_mutex);
    if (enabled)
        m_disabledControls.erase(control);
    else
        m_disabledControls.insert(control);
}

bool ConsolePort::controlEnabled(ControlId control) {
    std::lock_guard lock(m_mutex);
    return !m_disabledControls.contains(control);
}

void ConsolePort::leaveOutRecorderPresence() {
    std::lock_guard lock(m_mutex);
    m_presenceShown = false;
}

std::optional<std::string> ConsolePort::chooseFile(const FileChooserRequest& request) {
    std::lock_guard lock(m_mutex);
    endBar();
    const std::string what = request.title.empty() ? request.initialName : request.title;
    if (m_picks.empty()) {
        m_err << "chooser (" << what << "): cancelled, no --pick left\n" << std::flush;
        return std::nullopt;
    }
    std::string pick = m_picks.front();
    m_picks.pop_front();
    m_err << "chooser (" << what << "): " << pick << '\n' << std::flush;
    return pick;
}

void ConsolePort::transferProgress(std::uint64_t reported, std::uint64_t total) {
    if (!m_terminal || total == 0) return;
    // A count past the total (a last piece rounded up to whole sectors) is a full bar.
    const std::uint64_t done = std::min(reported, total);
    std::lock_guard lock(m_mutex);
    const auto now = std::chrono::steady_clock::now();
    if (!m_barShown || total != m_barTotal) {
        m_barStart = now;
        m_barTotal = total;
        m_barShown = true;
    }
    const double seconds = std::chrono::duration<double>(now - m_barStart).count();
    const double speed = seconds > 0 ? static_cast<double>(done) / seconds : 0;
    const double left = speed > 0 ? static_cast<double>(total - done) / speed : 0;
    constexpr int kWidth = 30;
    const int filled = static_cast<int>(kWidth * done / total);
    char line[160];
    std::snprintf(line, sizeof line, "\r[%s%s] %s / %s  %s/s  %02d:%02d left ", std::string(filled, '#').c_str(),
                  std::string(kWidth - filled, ' ').c_str(), mebibytes(done).c_str(), mebibytes(total).c_str(),
                  mebibytes(static_cast<std::uint64_t>(speed)).c_str(), static_cast<int>(left) / 60,
                  static_cast<int>(left) % 60);
    m_out << line << std::flush;
}

void ConsolePort::printLine(const std::string& text) {
    endBar();
    m_out << text << '\n' << std::flush;
    m_lastLine = text;
}

void ConsolePort::endBar() {
    if (!m_barShown) return;
    m_out << '\n';
    m_barShown = false;
}

}  // namespace ib::cli
