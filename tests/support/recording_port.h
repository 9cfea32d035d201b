// A user-interface port that records what a user would see, one line per
// event, so tests can assert the exact sequence. File choosers are answered
// from a queue; an empty queue means the user cancelled.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "app/user_interface_port.h"

namespace ib::test {

// "status: TEXT 0%" (with colours: "status: TEXT 0% done=707070 rest=707070 text=00ff00").
std::string statusLine(const std::string& text, int percent);

class RecordingPort final : public UserInterfacePort {
public:
    void renderStatus(const StatusState& s) override;
    // Recorded as "passed over: " and the status line.
    void statusPassedOver(const StatusState& s) override { add("passed over: " + statusLine(s.text, s.percent)); }
    void showStepMessage(const std::string& text) override { add("step: " + text); }
    void showWarning(const std::string& text) override { add("warning: " + text); }
    void showMessageBox(MessageBoxKind kind, const std::string& text) override;
    void setOperationButtonsEnabled(bool enabled) override { add(enabled ? "buttons: on" : "buttons: off"); }
    void setControlEnabled(ControlId control, bool enabled) override;
    std::optional<std::string> chooseFile(const FileChooserRequest& request) override;
    void transferProgress(std::uint64_t done, std::uint64_t total) override;
    // Recorded as "values shown"; the values are kept in `shownValues`.
    void showValues(const DialogValues& values) override;
    // Kept apart in `finished` (not among the lines, which assert what a user sees).
    void operationFinished(Operation op, std::uint32_t result) override;

    struct Finished {
        Operation op;
        std::uint32_t result;
        bool operator==(const Finished&) const = default;
    };
    // The operations finished so far, once there are `count` of them (or
    // fewer, after waiting ten seconds in vain).
    std::vector<Finished> finished(std::size_t count);

    // Everything seen so far, and clears it.
    std::vector<std::string> take();
    std::vector<std::string> lines() const;

    std::deque<std::string> answers;             // paths the chooser returns, in order
    std::vector<FileChooserRequest> choosers;    // every chooser shown
    DialogValues shownValues;
    std::uint64_t lastTransferDone = 0, lastTransferTotal = 0;
    bool withColours = false;  // status lines with colours when set

private:
    void add(std::string line);
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
    std::condition_variable m_finishedChanged;
    std::vector<Finished> m_finished;
};

}  // namespace ib::test
