// The controller: holds every setting the views edit, owns the command objects
// through which operations reach the recorder and the status line through
// which they report, and runs the operations. It knows no window toolkit:
// people are reached only through the user-interface port of its environment.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/pc_storage_cmd.h"
#include "device/usb_scsi_cmd.h"
#include "update/controller_environment.h"
#include "update/dialog_values.h"
#include "update/status_line.h"

namespace ib {

// The operations a view can start.
enum class Operation {
    Sync,
};

class CImageBurnerDlg {
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
    bool startUp(DialogValues& view);

    // ---- Bound values ---------------------------------------------------
    // Copies the view into the fields in control order, with validation
    // messages; stops at the first control that fails. false when one failed.
    bool exchangeFromView(const DialogValues& view);
    // The fields as the controls would show them.
    DialogValues exchangeToView() const;

    // ---- Running operations ---------------------------------------------
    // Copies the view in, then runs the operation on the calling thread and
    // returns its result (1 success, 0 failure).
    std::uint32_t run(Operation op, const DialogValues& view);
    // Copies the view in and starts the operation on a worker thread.
    void launch(Operation op, const DialogValues& view);
    // Whether a device operation is running now.
    bool deviceBusy() const { return m_deviceBusy.load(); }

    // ---- Helpers the operations share ------------------------------------
    std::uint32_t selectStorageType();
    void enableOperationButtons(bool enable);
    void refreshDevicePresence();
    void setDeviceEventsEnabled(int value) { m_deviceEventsEnabled = value; }
    std::uint32_t changeBootSize();
    std::uint32_t lowLevelFormatBootArea();
    void setProgress(const std::string& text, int percent, std::uint32_t doneColour, std::uint32_t restColour);
    void setProgressTextColour(std::uint32_t colour);
    // Writes a step message as the status control's text.
    void showStepMessage(const std::string& text);
    void messageBox(const std::string& text, MessageBoxKind kind = MessageBoxKind::Error);

    // ---- Recorder presence -------------------------------------------------
    // Registers for the four notification classes; the "Can't register device
    // notification" box and false at the first refusal.
    bool registerDeviceNotifications();
    // Handler of an arrival or removal notification.
    int onDeviceChange(std::uint32_t eventType, const DeviceEvent* data);

    // ---- Updater download and sync ---------------------------------------
    std::uint32_t DownloadUpdater(int retries);
    std::uint32_t SyncDevice();

    // ---- State visible to views and tests -------------------------------
    const StatusState statusState() const { return m_status.state(); }
    UsbScsiCmd& usbCmd() { return m_usbCmd; }
    const std::filesystem::path& workingDirectory() const { return m_env.workingDirectory; }
    std::filesystem::path configurationPath() const { return m_env.workingDirectory / "DiskInfo.ini"; }

    // Fields, in declaration order (see the field table of the design notes
    // in each operation's comments for how each is used).
    std::string m_iniPath;
    GeneralStorageCmd* const m_cmd;
    std::int32_t m_storageType = -1;
    std::int32_t m_isMoviNand = 0;
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

private:
    // Runs one operation body, keeping device operations one at a time.
    std::uint32_t execute(Operation op);
    // The opening shared by device operations: storage type, "ŁĄCZENIE...",
    // Open. false after showing the failure.
    struct Opening {
        bool reenableButtonsOnUiError = true;
        const char* uiErrorText = "Error 0x01: UI parameter error !";
    };
    bool openRecorder(const Opening& how);

    ControllerEnvironment m_env;
    UsbScsiCmd m_usbCmd;
    PcStorageCmd m_pcCmd;
    StatusLine m_status;

    std::mutex m_deviceMutex;  // one device operation at a time
    std::atomic<bool> m_deviceBusy{false};
    std::mutex m_workersMutex;
    std::vector<std::thread> m_workers;
};

}  // namespace ib
