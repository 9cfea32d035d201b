// Assembling one command-line run. See cli_session.h.
#include "cli/cli_session.h"

#include <deque>
#include <iostream>
#include <ostream>

#include "cli/recorder_listing.h"
#include "cli/typed_path.h"
#include "platform/terminal.h"
#include "seams/utf8_path.h"
#include "sim/bus_folders.h"

namespace ib::cli {
namespace {
constexpr int kInterruptedExitStatus = 130;  // as a shell gives for Ctrl+C
}

CliSession::CliSession(const GlobalOptions& options, std::ostream& out, std::ostream& err, StopRequest stop)
    : m_options(options), m_out(out), m_err(err), m_stop(stop) {}

CliSession::~CliSession() = default;

int CliSession::open() {
    const bool terminal = &m_out == &std::cout && platform::standardOutputDrawsInPlace();
    std::deque<std::string> picks;
    for (const auto& pick : m_options.picks) picks.push_back(fromShell(pick));
    m_port = std::make_unique<ConsolePort>(m_out, m_err, terminal, std::move(picks), m_options.percentInLines,
                                           m_options.unmount);
    app::SessionOptions session;
    session.workingDirectory = pathFromUtf8(m_options.workdir);
    for (const auto& dir : m_options.simDirs) session.simulatorFolders.push_back(pathFromUtf8(dir));
    session.stop = m_stop;
    session.recordFile = pathFromUtf8(m_options.recordFile);
    session.recordData = m_options.recordData;
    session.replayFile = pathFromUtf8(m_options.replayFile);
    session.replayTiming = m_options.replayTiming;
    if (!m_options.temporaryFolder.empty()) {
        session.overrides.temporaryDirectory = pathFromUtf8(m_options.temporaryFolder);
        session.packingFolder = pathFromUtf8(m_options.temporaryFolder);
    }
    // Recorders that would be taken for one are a mistake in the options, not a failure of the run.
    if (session.replayFile.empty()) {
        if (const auto shared = sim::sharedIdentity(sim::stateFoldersIn(session.simulatorFolders))) {
            m_err << *shared << '\n';
            return 2;
        }
    }
    std::string error;
    m_application = app::ApplicationSession::open(*m_port, session, error);
    if (!m_application) {
        m_err << error << '\n';
        return m_stop.requested() ? kInterruptedExitStatus : 1;
    }
    return 0;
}

int CliSession::start(RecorderUse use) {
    if (const int failed = open(); failed != 0) return failed;
    if (use == RecorderUse::One) {
        if (m_options.recorderPatterns.size() > 1) {
            m_err << "--recorder is given more than once: this command talks to one recorder (several are for "
                     "--all and station).\n";
            return 2;
        }
        // Choosing needs no holders: looking for them would open the other recorders' volumes.
        const auto recorders =
            listRecorders(m_application->devices(), m_application->allVolumes(), HolderCheck::Skip);
        std::string port;
        if (const int refused = chooseRecorder(recorders, m_options.recorder, m_err, port); refused != 0)
            return refused;
        m_application->chooseRecorder(port);
    } else {
        m_port->leaveOutRecorderPresence();
    }
    CImageBurnerDlg& controller = *m_application->controller;
    controller.startUp(m_view);
    controller.m_verifyBurns = m_options.verify;
    if (m_options.ignoreScsiStatus) controller.usbCmd().setStatusRule(ScsiStatusRule::CallOnly);
    if (const char* locked = lockedOptionGiven()) {
        m_err << locked << ": refused, FreezeUI in " << controller.m_iniPath
              << " locks this setting to the configured value\n";
        return 2;
    }

    if (m_options.storage) m_view.storageName = *m_options.storage;
    if (m_options.firmwareNumber) m_view.firmwareNumber = *m_options.firmwareNumber;
    if (m_options.configureUserArea) m_view.configUserArea = *m_options.configureUserArea;
    if (m_options.configureBootArea) m_view.configBootArea = *m_options.configureBootArea;
    if (m_options.changeBootSize) m_view.changeBootSize = *m_options.changeBootSize;
    if (m_options.bootSize) m_view.bootSize = *m_options.bootSize;
    return 0;
}

int CliSession::run(Operation op) {
    const bool succeeded = controller().run(op, m_view) != 0;
    if (controller().interrupted()) return kInterruptedExitStatus;
    return succeeded ? 0 : 1;
}

int CliSession::checkedAgainstReplay(int status) {
    constexpr int kReplayDifferedExitStatus = 3;
    const std::optional<std::string> differed = m_application->replayVerdict();
    if (differed) m_err << *differed << '\n';
    if (const auto warning = m_application->replayWarning(); warning && !differed) m_err << "Warning: " << *warning << '\n';
    if (const auto stopped = m_application->recordingStopped()) m_err << "Warning: " << *stopped << '\n';
    return differed ? kReplayDifferedExitStatus : status;
}

const char* CliSession::lockedOptionGiven() {
    const struct {
        bool given;
        ControlId control;
        const char* option;
    } options[] = {
        {m_options.storage.has_value(), ControlId::StorageCombo, "--storage"},
        {m_options.firmwareNumber.has_value(), ControlId::FirmwareCombo, "--firmware-number"},
        {m_options.configureUserArea.has_value(), ControlId::ConfigUserCheck, "--configure-user-area"},
    };
    for (const auto& o : options)
        if (o.given && !m_port->controlEnabled(o.control)) return o.option;
    return nullptr;
}

}  // namespace ib::cli
