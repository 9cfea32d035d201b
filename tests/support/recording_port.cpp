// Recording port. See recording_port.h.
#include "support/recording_port.h"

#include <chrono>
#include <cstdio>
#include <utility>

namespace ib::test {

std::string statusLine(const std::string& text, int percent) {
    return "status: " + text + " " + std::to_string(percent) + "%";
}

void RecordingPort::renderStatus(const StatusState& s) {
    std::string line = statusLine(s.text, s.percent);
    if (withColours) {
        char colours[64];
        std::snprintf(colours, sizeof colours, " done=%06x rest=%06x text=%06x", s.doneColour, s.restColour,
                      s.textColour);
        line += colours;
    }
    add(line);
}

void RecordingPort::showMessageBox(MessageBoxKind kind, const std::string& text) {
    const std::string caption = captionOf(kind);
    add(caption.empty() ? "box: " + text : "box " + caption + ": " + text);
}

void RecordingPort::setControlEnabled(ControlId control, bool enabled) {
    add("control " + std::to_string(static_cast<int>(control)) + (enabled ? ": on" : ": off"));
}

std::optional<std::string> RecordingPort::chooseFile(const FileChooserRequest& request) {
    std::lock_guard lock(m_mutex);
    choosers.push_back(request);
    m_lines.push_back(std::string("choose ") + (request.save ? "save" : "open") + ": " + request.initialName);
    if (answers.empty()) return std::nullopt;
    std::string answer = answers.front();
    answers.pop_front();
    return answer;
}

void RecordingPort::transferProgress(std::uint64_t done, std::uint64_t total) {
    std::lock_guard lock(m_mutex);
    lastTransferDone = done;
    lastTransferTotal = total;
}

void RecordingPort::showValues(const DialogValues& values) {
    std::lock_guard lock(m_mutex);
    shownValues = values;
    m_lines.push_back("values shown");
}

void RecordingPort::operationFinished(Operation op, std::uint32_t result) {
    std::lock_guard lock(m_mutex);
    m_finished.push_back({op, result});
    m_finishedChanged.notify_all();
}

std::vector<RecordingPort::Finished> RecordingPort::finished(std::size_t count) {
    std::unique_lock lock(m_mutex);
    m_finishedChanged.wait_for(lock, std::chrono::seconds(10), [&] { return m_finished.size() >= count; });
    return m_finished;
}

std::vector<std::string> RecordingPort::take() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_lines, {});
}

std::vector<std::string> RecordingPort::lines() const {
    std::lock_guard lock(m_mutex);
    return m_lines;
}

void RecordingPort::add(std::string line) {
    std::lock_guard lock(m_mutex);
    m_lines.push_back(std::move(line));
}

}  // namespace ib::test
