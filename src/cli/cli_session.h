// One run of imageburner-cli: the global options, the application session
// built from them, and the view values the options set.
#pragma once

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/application_session.h"
#include "cli/console_port.h"
#include "app/image_burner_controller.h"

namespace ib::cli {

struct GlobalOptions {
    std::string workdir = ".";
    std::vector<std::string> simDirs;
    std::string recorder;  // --recorder: a port path or a serial (prefix); "" none
    // Every --recorder given: the recorders a run on several takes in.
    std::vector<std::string> recorderPatterns;
    std::optional<std::string> storage;
    std::optional<std::string> firmwareNumber;
    std::optional<int> configureUserArea;
    std::optional<int> configureBootArea;
    std::optional<int> changeBootSize;
    std::optional<std::string> bootSize;
    std::vector<std::string> picks;
    bool verify = false;
    bool ignoreScsiStatus = false;
    bool unmount = false;  // --unmount: a mounted storage is unmounted instead of refused
    std::string recordFile, replayFile;
    bool recordData = false;
    bool replayTiming = false;
    // Set by a run over several recorders for each recorder's session:
    bool percentInLines = false;  // status lines carry the percent
    // The session's own temporary folder, where its folder images are packed too
    // (the working folder is shared); "": the program's, and the working folder.
    std::string temporaryFolder;
};

// Whether a command talks to a recorder, and so must know which one.
enum class RecorderUse { None, One };

class CliSession {
public:
    CliSession(const GlobalOptions& options, std::ostream& out, std::ostream& err, StopRequest stop = {});
    ~CliSession();

    // Builds the environment and the controller and runs the start-up. Returns
    // 0 when the session is ready, else the exit status the run ends with (the
    // reason is on standard error): 1 when the simulator folder holds no
    // recorder or there is no temporary folder, 2 when an option sets a control the configuration locks, as the
    // dialog locks it (FreezeUI), when two simulated recorders share a port or a serial, or when a command that
    // talks to a recorder cannot tell which one (several present and none chosen, a
    // --recorder that names none or several, or --recorder given twice).
    [[nodiscard]] int start(RecorderUse use = RecorderUse::One);
    // Only builds the environment and the controller, without the start-up
    // (which shows the presence on the status line): for commands that only
    // look at the devices. The exit status as start() gives it.
    [[nodiscard]] int open();
    CImageBurnerDlg& controller() { return *m_application->controller; }
    // The view values: start-up presets with the command line's options on top.
    DialogValues& view() { return m_view; }
    app::ApplicationSession& application() { return *m_application; }
    // Runs the operation with the view; the exit status: 0 success, 1 failure,
    // 130 (as a shell gives for Ctrl+C) when the stop request cut it short.
    int run(Operation op);
    std::ostream& out() { return m_out; }
    // The command's exit status, or 3 after saying on standard error where
    // the run differed from the recording it replays. A replay's warning and
    // a recording that stopped part way are told last, on standard error.
    int checkedAgainstReplay(int status);

private:
    // The option that would change a control the start-up disabled, or null.
    const char* lockedOptionGiven();

    GlobalOptions m_options;
    std::ostream& m_out;
    std::ostream& m_err;
    StopRequest m_stop;
    std::unique_ptr<ConsolePort> m_port;  // outlives the application that reports to it
    std::unique_ptr<app::ApplicationSession> m_application;
    DialogValues m_view;
};

}  // namespace ib::cli
