// The controller: holds every setting the views edit, owns the command objects
// through which operations reach the recorder and the status line through
// which they report, and starts the operations: each runs as a function of its
// own folder, given a context with a snapshot of the settings and the
// controller as its reporter. It knows no window toolkit: people are reached
// only through the user-interface port of its environment.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bootarea/firmware_set.h"
#include "bootarea/index_table_sector.h"
#include "device/pc_storage_cmd.h"
#include "device/usb_scsi_cmd.h"
#include "operation/operation_context.h"
#include "operation/operation_reporter.h"
#include "operation/preflight.h"
#include "operation/stoppable_commands.h"
#include "app/busy_claim.h"
#include "app/controller_environment.h"
#include "app/dialog_values.h"
#include "app/operation.h"
#include "app/status_line.h"
#include "userarea/user_area_plan.h"

namespace ib {

// What a device event may change, decided when it arrives.
struct DeviceEventAdmission {
    bool enabled = true;            // device events were switched on
    bool operationRunning = false;  // an operation held the controller
};

class CImageBurnerDlg final : public OperationReporter {
public:
    explicit CImageBurnerDlg(ControllerEnvironment env);
    // Waits for every worker still running: they use this object.
    ~CImageBurnerDlg();
    CImageBurnerDlg(const CImageBurnerDlg&) = delete;
    CImageBurnerDlg& operator=(const CImageBurnerDlg&) = delete;

    // ---- Start-up -------------------------------------------------------
    // The start-up of the main window: settings from "DiskInfo.ini" preset the
    // view values, notifications are registered, the status line attached,
    // presence shown and the remembered paths restored. `view` starts with
    // the initial field values and comes back with what the controls show.
    // false when the notification registration was refused (start-up ends there).
    // Settings the user should know of (a configuration read otherwise than
    // it looks) come as warnings after the presence check.
    bool startUp(DialogValues& view);
    // The same, with the list entries selected in the two combo boxes.
    bool startUp(DialogValues& view, ListSelections& selected);

    // ---- Bound values ---------------------------------------------------
    // Copies the view into the fields in control order, with validation
    // messages; stops at the first control that fails. false when one failed.
    bool exchangeFromView(const DialogValues& view);
    // The fields as the controls would show them.
    DialogValues exchangeToView() const;
    // ---- Running operations ---------------------------------------------
    // One at a time: while one runs, a start is refused with a message (run
    // returns 0) and nothing is reported. Every operation that starts ends
    // with the port's operationFinished and its result; one that throws ends
    // with a message box and result 0.
    // Copies the view in, then runs the operation on the calling thread and
    // returns its result (1 success, 0 failure).
    std::uint32_t run(Operation op, const DialogValues& view);
    // Copies the view in and starts the operation on a worker thread.
    void launch(Operation op, const DialogValues& view);
    // Whether an operation is running now.
    bool busy() const { return m_busy.load(); }
    // Whether the last operation was stopped by a stop request before it was done.
    bool interrupted() const { return m_commands.refusedAny(); }
    // What the last operation changed on the recorder.
    const RecorderChanges& recorderChanges() const { return m_commands.changes(); }

    // ---- What the operations report through -------------------------------
    // Selects the storage type named in the storage box: sets m_storageType
    // and m_isMoviNand. 0 when the name is none of the list's.
    std::uint32_t selectStorageType();
    // Clears "Change Boot Size" (when "Configure Boot Area" is cleared).
    void clearChangeBootSize();
    void enableOperationButtons(bool enable) override;
    void refreshDevicePresence() override;
    void setDeviceEventsEnabled(bool enabled) override { m_deviceEventsEnabled = enabled ? 1 : 0; }
    void setProgress(const std::string& text, int percent, std::uint32_t doneColour,
                     std::uint32_t restColour) override;
    void setProgressTextColour(std::uint32_t colour) override;
    // Writes a step message as the status control's text.
    void showStepMessage(const std::string& text) override;
    void messageBox(const std::string& text, MessageBoxKind kind = MessageBoxKind::Error) override;

    // ---- Recorder presence -------------------------------------------------
    // Registers for the four notification classes; the "Can't register device
    // notification" box and false at the first refusal.
    bool registerDeviceNotifications();
    // Handler of an arrival or removal notification, admitted as of now.
    int onDeviceChange(std::uint32_t eventType, const DeviceEvent* data);
    // The same for an event admitted when it arrived. While an operation
    // runs, an event neither enables the buttons nor replaces the status.
    int onDeviceChange(std::uint32_t eventType, const DeviceEvent* data, DeviceEventAdmission admitted);

    // ---- The operations ------------------------------------------------------
    // Each takes the settings snapshot now and runs the operation of the same
    // name on the calling thread (see their own headers); `run` and `launch`
    // go through these.
    std::uint32_t SyncDevice();
    std::uint32_t burnBlockStorage(std::uint32_t n);
    std::uint32_t burnSerialFlash(std::uint32_t n, std::int32_t configureUserArea);
    std::uint32_t updatePartitionSetting();
    std::uint32_t configureUserArea();
    // The "Configure User Area + Format" button.
    std::uint32_t onConfigureUserArea();
    std::uint32_t writeUserAreaImage(const IndexTableSector& bootImages, std::fstream& image);
    std::uint32_t LowLevelFormatWorker();
    std::uint32_t ReadRegisterCommand();
    std::uint32_t WriteRegisterCommand();
    // Reads a range of the boot area or user area into a file.
    std::uint32_t readBackArea(StorageArea area);
    std::uint32_t rawWrite();
    std::uint32_t createSdImage();
    std::uint32_t runFullUpdate();
    // The two "Browse..." choosers; false when cancelled.
    bool browseRawFile();
    bool browseBinFile();
    // Where a firmware name from "DiskInfo.ini" is looked for.
    std::filesystem::path firmwarePath(BurnKind kind, const std::string& name) const;

    // ---- The partition plan's dry run ----------------------------------------
    // The target the plan is placed against: without a capacity the
    // recorder's, read exactly as the user-area configuration reads it; with
    // one, built without a recorder. nullopt after the message.
    std::optional<PlanTarget> userAreaPlanTarget(std::optional<std::uint32_t> capacity);
    // Places the plan into the target's sector, writing nothing.
    PlanPreview previewUserAreaPlan(PlanTarget& target);
    // The checks on the PC the full update and the user-area configuration
    // make before their first write; the update's is empty for a storage or
    // firmware number the update refuses.
    std::vector<PreflightStep> fullUpdatePreflight();
    std::vector<PreflightStep> configureUserAreaPreflight();

    // ---- State visible to views and tests -------------------------------
    const StatusState statusState() const { return m_status.state(); }
    UsbScsiCmd& usbCmd() { return m_usbCmd; }
    const std::filesystem::path& workingDirectory() const { return m_env.workingDirectory; }
    ProfileStore& profile() const { return m_env.profile; }
    std::filesystem::path configurationPath() const { return m_env.workingDirectory / "DiskInfo.ini"; }

    // The settings the views edit; each operation works on a snapshot of them
    // taken on the view's thread when it is started, and a worker never reads
    // them. Views change them only through exchangeFromView; tests and the CLI
    // may read them while no operation runs. What an operation shows back in
    // the view (a register's value, a chosen path) and the view's own
    // exchanges hold m_boundMutex.
    std::string m_iniPath;               // the configuration file, as start-up found it
    GeneralStorageCmd* const m_cmd;      // always m_commands: m_usbCmd as the operations reach it
    std::int32_t m_storageType = -1;     // storage type code, set by selectStorageType()
    std::int32_t m_isMoviNand = 0;       // 1 for moviNAND: its boot area is an area of its own
    std::uint32_t m_mbrSector = 0;
    std::atomic<std::int32_t> m_keepStatusOnRemoval{0};
    std::atomic<std::int32_t> m_deviceEventsEnabled{1};
    std::string m_readRegAddr = "0x80008C00";
    std::string m_readRegValue = "0x00";
    std::string m_writeRegAddr = "0x80008C00";
    std::string m_writeRegValue = "0x00";
    std::int32_t m_configBootArea = 0;
    std::int32_t m_changeBootSize = 0;
    std::uint32_t m_bootSize = 4;
    std::string m_storageName = "moviNAND";
    std::int32_t m_configUserArea = 0;
    std::string m_firmwareNumber = "1";
    std::uint32_t m_bootReadAddr = 0;
    std::uint32_t m_bootReadSize = 1;
    std::uint32_t m_userReadAddr = 0;
    std::uint32_t m_userReadSize = 1;
    std::string m_rawPathEdit;
    std::string m_binPathEdit;
    // Beyond the dialog's own settings: read every burnt image and the index
    // table sector back and compare (off: a burn sends exactly its own commands).
    bool m_verifyBurns = false;

private:
    // A worker thread and whether it has finished everything it does, its
    // report included, so that it can be joined without waiting.
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done = std::make_shared<std::atomic<bool>>(false);
    };

    // How an event arriving now is to be handled.
    DeviceEventAdmission admitDeviceEvent() const;
    // Claims the controller for one operation; nullopt after the refusal message.
    std::optional<BusyClaim> beginOperation();
    // Copies the view in (register access copies it itself, after opening the
    // recorder) and takes the snapshot the operation runs on.
    OperationSettings copyViewForRun(Operation op, const DialogValues& view);
    // Runs a claimed operation, gives the claim back and reports the result.
    std::uint32_t finishOperation(BusyClaim claim, Operation op, const OperationSettings& settings);
    // Runs the operation; an exception ends it with a message box and result 0.
    std::uint32_t startedOperation(Operation op, const OperationSettings& settings);
    // The end of an operation that a stop request cut short: the session
    // closed where the operation left a storage selected (the full update
    // closes its own), and what was and was not written.
    void reportInterruption(Operation op);
    // Joins the workers that are done (never the calling one: it is not done).
    void joinFinishedWorkers();
    // Runs the operation on the given settings.
    std::uint32_t execute(Operation op, const OperationSettings& settings);
    // selectStorageType with m_boundMutex held.
    std::uint32_t selectStorageTypeHeld();

    // The bound values as an operation starting now sees them (selects the storage type).
    OperationSettings settingsSnapshot();
    // Runs `operation` with a context on a fresh snapshot.
    template <typename Run>
    auto withContext(Run&& operation) {
        return withContext(settingsSnapshot(), std::forward<Run>(operation));
    }
    template <typename Run>
    auto withContext(const OperationSettings& settings, Run&& operation) {
        const OperationContext context{*m_cmd, *this,
                                       OperationServices{m_env.clock, m_env.profile, m_env.processes,
                                                         m_env.locateTool, m_env.temporaryDirectory, m_env.packingFolder,
                                                         m_env.stop},
                                       settings};
        return operation(context);
    }

    // ---- Reporting that reaches the bound values and the port ---------------
    void transferProgress(std::uint64_t done, std::uint64_t total) override;
    std::optional<std::string> chooseFile(const FileChooserRequest& request) override;
    void keepStatusOnNextRemoval() override { m_keepStatusOnRemoval = 1; }
    RegisterTexts copyViewIn() override;
    void showReadRegisterValue(const std::string& value) override;
    void shortenReadBack(StorageArea area, std::uint32_t count) override;
    void rememberChosenPath(RememberedPath which, const std::string& path) override;

    ControllerEnvironment m_env;
    UsbScsiCmd m_usbCmd;
    PcStorageCmd m_pcCmd;
    StatusLine m_status;
    StoppableCommands m_commands;  // m_usbCmd as the operations reach it: held back by a stop request

    // The view values the running operation was started with: register access
    // copies them in after opening the recorder. Written before it starts.
    DialogValues m_runView;
    mutable std::mutex m_boundMutex;  // the bound values, between the view's thread and a worker
    std::atomic<bool> m_busy{false};  // one operation at a time, held through a BusyClaim
    std::mutex m_workersMutex;
    std::vector<Worker> m_workers;
};

}  // namespace ib
