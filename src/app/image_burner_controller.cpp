// The controller's construction, its shared helpers and how operations run.
// See image_burner_controller.h.
#include "app/image_burner_controller.h"

#include <system_error>

#include "device/recorder_discovery.h"
#include "operation/status_colours.h"
#include "operation/status_texts.h"

namespace ib {

CImageBurnerDlg::CImageBurnerDlg(ControllerEnvironment env)
    : m_cmd(&m_commands),
      m_env(std::move(env)),
      m_usbCmd(m_env.volumes),
      m_pcCmd(m_env.physicalDrives, [this](const std::string& m) { messageBox(m, MessageBoxKind::Application); }),
      m_status(m_env.ui),
      m_commands(m_usbCmd, m_env.stop) {
    // The recorder's own answer goes to the status line (and the log) before
    // the operation's error box; a mounted storage is said in a box of its own.
    // After a stop the answers are to the commands that wind the run up, which
    // the interruption's own message covers.
    m_usbCmd.setRefusalObserver([this](RefusalKind kind, const std::string& text) {
        if (m_commands.refusedAny()) return;
        if (kind == RefusalKind::StorageInUse)
            messageBox(text);
        else
            showStepMessage(text);
    });
    m_usbCmd.setUnmountDecision([this](const std::string& refusal) {
        return m_env.ui.askYesNo(Question::UnmountStorage, refusal + "\n\nUnmount it now and go on?");
    });
}

CImageBurnerDlg::~CImageBurnerDlg() {
    m_env.deviceEvents.stop();
    std::vector<Worker> workers;
    {
        std::lock_guard lock(m_workersMutex);
        workers.swap(m_workers);
    }
    for (auto& worker : workers) worker.thread.join();
}

namespace {

// Register access copies the view only after it has opened the recorder.
bool copiesViewItself(Operation op) { return op == Operation::ReadRegister || op == Operation::WriteRegister; }

}  // namespace

std::uint32_t CImageBurnerDlg::run(Operation op, const DialogValues& view) {
    std::optional<BusyClaim> claim = beginOperation();
    if (!claim) return 0;  // refused: no operation started, so none is reported as finished
    const OperationSettings settings = copyViewForRun(op, view);
    return finishOperation(std::move(*claim), op, settings);
}

void CImageBurnerDlg::launch(Operation op, const DialogValues& view) {
    std::optional<BusyClaim> claim = beginOperation();
    if (!claim) return;  // refused: no operation started, so none is reported as finished
    // Copied here, on the view's thread, when the button is pressed: the
    // worker runs on its own copy, which nothing the view does later touches.
    const OperationSettings settings = copyViewForRun(op, view);
    std::unique_lock lock(m_workersMutex);
    joinFinishedWorkers();
    m_workers.reserve(m_workers.size() + 1);  // so that keeping a started thread cannot fail
    Worker worker;
    try {
        worker.thread = std::thread([this, op, settings, held = std::move(*claim), done = worker.done]() mutable {
            finishOperation(std::move(held), op, settings);
            *done = true;
        });
    } catch (const std::system_error& error) {
        // The claim went with the thread that never ran. The start was granted,
        // so the view hears that it ended.
        lock.unlock();
        messageBox(std::string("Error: the operation could not start: ") + error.what());
        m_env.ui.operationFinished(op, 0);
        return;
    }
    m_workers.push_back(std::move(worker));
}

std::optional<BusyClaim> CImageBurnerDlg::beginOperation() {
    // One operation at a time. Two on one handle would interleave their
    // commands (a storage selection in the middle of a burn sends the rest to
    // the wrong area), and every operation works on the controller's shared
    // fields: even the SD image, which needs no recorder, sets m_isMoviNand,
    // which a running burn uses to pick its area. Refused before the view is
    // copied in, so a running operation's settings stay as they were.
    std::optional<BusyClaim> claim = BusyClaim::tryClaim(m_busy);
    if (!claim) messageBox("Another operation is running. Wait until it has finished.");
    return claim;
}

OperationSettings CImageBurnerDlg::copyViewForRun(Operation op, const DialogValues& view) {
    m_runView = view;
    if (!copiesViewItself(op)) (void)exchangeFromView(view);  // a validation message does not stop the operation
    return settingsSnapshot();
}

std::uint32_t CImageBurnerDlg::finishOperation(BusyClaim claim, Operation op, const OperationSettings& settings) {
    m_commands.beginOperation();
    const std::uint32_t result = startedOperation(op, settings);
    if (m_commands.refusedAny()) reportInterruption(op);
    claim.release();  // free before the report, so that a view may start the next operation from it
    m_env.ui.operationFinished(op, result);
    return result;
}

std::uint32_t CImageBurnerDlg::startedOperation(Operation op, const OperationSettings& settings) {
    // An exception must not leave a worker thread (that would end the
    // program) nor skip the report, so it ends the operation like any failure.
    std::string failure;
    try {
        return execute(op, settings);
    } catch (const std::exception& error) {
        failure = error.what();
    } catch (...) {
        failure = "unknown failure";
    }
    messageBoxThenPresence("Error: " + failure);
    return 0;
}

void CImageBurnerDlg::reportInterruption(Operation op) {
    if (op != Operation::FullUpdate && m_commands.storageSelected()) m_usbCmd.EndSession();
    if (m_commands.restartingIntoUpdater()) {
        // The updater runs from the recorder's memory: loading it stored nothing,
        // and a run started at once would find no recorder.
        messageBox("Interrupted: the recorder is restarting into its updater; nothing was written. "
                   "Run again once it is back.",
                   MessageBoxKind::Application);
        return;
    }
    const std::string written = m_commands.changes().describe();
    messageBox("Interrupted: the operation stopped before it was done. " +
                   (written.empty() ? std::string("Nothing was written to the recorder.")
                                    : "Written to the recorder: " + written +
                                          ". Not written: everything after that; run the operation again."),
               MessageBoxKind::Application);
}

void CImageBurnerDlg::joinFinishedWorkers() {
    for (auto it = m_workers.begin(); it != m_workers.end();) {
        if (*it->done) {
            it->thread.join();
            it = m_workers.erase(it);
        } else {
            ++it;
        }
    }
}

std::uint32_t CImageBurnerDlg::selectStorageType() {
    std::lock_guard lock(m_boundMutex);
    return selectStorageTypeHeld();
}

std::uint32_t CImageBurnerDlg::selectStorageTypeHeld() {
    const std::optional<StorageType> type = storageTypeNamed(m_storageName);
    if (!type) return 0;
    m_storageType = storageCode(*type);
    m_isMoviNand = *type == StorageType::MoviNand ? 1 : 0;
    return 1;
}

void CImageBurnerDlg::enableOperationButtons(bool enable) { m_env.ui.setOperationButtonsEnabled(enable); }

void CImageBurnerDlg::refreshDevicePresence() {
    const bool present =
        FindRecorder(m_env.devices, [this] { messageBox("Error SetupDiGetDeviceInstanceId"); }) != 0;
    setProgressTextColour(kGreen);
    setProgress(present ? text::kRecorderReady : text::kRecorderNotFound, 0, kGrey, kGrey);
    enableOperationButtons(present);
}

void CImageBurnerDlg::setProgress(const std::string& text, int percent, std::uint32_t doneColour,
                                  std::uint32_t restColour) {
    m_status.setProgress(text, percent, doneColour, restColour);
}

void CImageBurnerDlg::setProgressTextColour(std::uint32_t colour) { m_status.setTextColour(colour); }

void CImageBurnerDlg::showStepMessage(const std::string& text) { m_env.ui.showStepMessage(text); }

void CImageBurnerDlg::messageBox(const std::string& text, MessageBoxKind kind) {
    // A step that failed because a stop held its commands back did not fail
    // for a reason of its own: the interruption's message says what happened.
    if (kind == MessageBoxKind::Error && m_busy.load() && m_commands.refusedAny()) return;
    m_env.ui.showMessageBox(kind, text);
}

void CImageBurnerDlg::transferProgress(std::uint64_t done, std::uint64_t total) {
    m_env.ui.transferProgress(done, total);
}

std::optional<std::string> CImageBurnerDlg::chooseFile(const FileChooserRequest& request) {
    return m_env.ui.chooseFile(request);
}

}  // namespace ib
