// The command line's face of the user-interface port: status texts and step
// messages on standard output (one per line, or a live progress bar on a
// terminal), message boxes on standard error as "<caption>: <text>", file
// choosers answered by the --pick paths in order, the question to unmount the
// recorder's storage by --unmount. Warnings go to standard error as
// "Warning: <text>".
#pragma once

#include <chrono>
#include <deque>
#include <iosfwd>
#include <mutex>
#include <set>
#include <string>

#include "app/user_interface_port.h"

namespace ib::cli {

class ConsolePort final : public UserInterfacePort {
public:
    // `percentInLines`: each status line carries the percent ("Ustawienia USER 1 (40 %)"),
    // a new line every ten percent, for runs whose lines are read side by side.
    // `unmount`: the question to unmount the recorder's storage is answered yes.
    ConsolePort(std::ostream& out, std::ostream& err, bool terminal, std::deque<std::string> picks,
                bool percentInLines = false, bool unmount = false);
    ~ConsolePort() override;

    void renderStatus(const StatusState& state) override;
    void showStepMessage(const std::string& text) override;
    void showWarning(const std::string& text) override;
    void showMessageBox(MessageBoxKind kind, const std::string& text) override;
    bool askYesNo(Question question, const std::string& text) override;
    void setOperationButtonsEnabled(bool) override {}
    void setControlEnabled(ControlId control, bool enabled) override;
    void showValues(const DialogValues&) override {}
    std::optional<std::string> chooseFile(const FileChooserRequest& request) override;
    void transferProgress(std::uint64_t done, std::uint64_t total) override;
    // The exit status comes from the operation's result; nothing to show.
    void operationFinished(Operation, std::uint32_t) override {}

    // Whether the dialog would let the user change this control; the start-up
    // locks some of them when the configuration freezes the user interface.
    bool controlEnabled(ControlId control);
    // For a run that needs no recorder: whether one is there is not shown.
    void leaveOutRecorderPresence();

private:
    void printLine(const std::string& text);
    void endBar();

    std::ostream& m_out;
    std::ostream& m_err;
    const bool m_terminal;
    const bool m_percentInLines;
    const bool m_unmount;
    std::deque<std::string> m_picks;
    std::mutex m_mutex;
    std::string m_lastLine;
    std::set<ControlId> m_disabledControls;
    bool m_presenceShown = true;
    bool m_barShown = false;
    std::uint64_t m_barTotal = 0;
    std::chrono::steady_clock::time_point m_barStart;
};

}  // namespace ib::cli
