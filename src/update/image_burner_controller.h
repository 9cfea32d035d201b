// The controller: holds every setting the views edit, owns the command objects
// through which operations reach the recorder and the status line through
// which they report, and runs the operations. It knows no window toolkit:
// people are reached only through the user-interface port of its environment.
#pragma once

#include <atomic>
#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bootarea/firmware_set.h"
#include "bootarea/index_table_sector.h"
#include "device/pc_storage_cmd.h"
#include "userarea/partition_plan.h"
#include "device/usb_scsi_cmd.h"
#include "update/busy_claim.h"
#include "update/controller_environment.h"
#include "update/dialog_values.h"
#include "update/operation.h"
#include "update/status_line.h"

namespace ib {

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
    // The view values an operation was started with (register access copies
    // them itself, after opening the recorder).
    DialogValues m_launchView;

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

    // ---- Firmware set and boot-area burns --------------------------------
    // Where a firmware name from "DiskInfo.ini" is looked for.
    std::filesystem::path firmwarePath(BurnKind kind, const std::string& name) const;
    // The N members, open and positioned; nullopt after the failure's message
    // (or none for a cancelled chooser). Without an area size nothing is checked.
    std::optional<FirmwareSet> loadFirmwareSet(std::uint32_t n, BurnKind kind,
                                               std::optional<std::uint32_t> areaSectors);
    std::uint32_t burnBlockStorage(std::uint32_t n);
    std::uint32_t burnSerialFlash(std::uint32_t n, std::int32_t configureUserArea);

    // ---- User area ---------------------------------------------------------
    // Puts the plan's entries into the index table sector on the device.
    std::uint32_t updatePartitionSetting();
    // The same, writing each partition's content too, and "UserAreaFirstSector".
    std::uint32_t configureUserArea();
    // The "Configure User Area + Format" button.
    std::uint32_t onConfigureUserArea();
    // Packs a folder into a FAT image file with the folder-packing tool.
    std::uint32_t packFolderImage(const std::filesystem::path& imagePath, std::uint32_t sizeSectors,
                                  const std::filesystem::path& folderPath);
    // Reads the plan from "DiskInfo.ini", resolves the rest partition against
    // `capacity` (none: the SD image), checks it and its content files' sizes
    // (a refusal is shown as a step message) and places it into `sector`,
    // running `content` per record. The device operations, the SD image and
    // the dry run all go through here.
    bool placeUserAreaPlan(PlanLayout layout, std::optional<std::uint32_t> capacity, IndexTableSector& sector,
                           const std::function<bool(const PartitionRecord&, std::uint32_t, std::uint32_t)>& content);
    // The user area written into an SD image file instead of the device.
    std::uint32_t writeUserAreaImage(IndexTableSector sector, std::fstream& image);

    // ---- Service operations -----------------------------------------------
    std::uint32_t LowLevelFormatWorker();
    std::uint32_t ReadRegisterCommand();
    std::uint32_t WriteRegisterCommand();
    // Reads a range of the boot area (1) or user area (0) into a file.
    std::uint32_t readBackArea(std::uint8_t area);
    std::uint32_t rawWrite();
    // Builds the SD image from the firmware set and the user-area plan.
    std::uint32_t createSdImage();
    // The two "Browse..." choosers; false when cancelled.
    bool browseRawFile();
    bool browseBinFile();

    // ---- The full update process -------------------------------------------
    std::uint32_t runFullUpdate();
    // The firmware number text's value in 8 bits.
    std::uint32_t firmwareCount() const;

    // ---- State visible to views and tests -------------------------------
    const StatusState statusState() const { return m_status.state(); }
    UsbScsiCmd& usbCmd() { return m_usbCmd; }
    const std::filesystem::path& workingDirectory() const { return m_env.workingDirectory; }
    std::filesystem::path configurationPath() const { return m_env.workingDirectory / "DiskInfo.ini"; }

    // The settings the views edit and the operations read. Views change them
    // only through exchangeFromView; tests and the CLI may read them.
    std::string m_iniPath;               // the configuration file, as start-up found it
    GeneralStorageCmd* const m_cmd;      // always m_usbCmd
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

    // Claims the controller for one operation; nullopt after the refusal message.
    std::optional<BusyClaim> beginOperation();
    // Runs a claimed operation, gives the claim back and reports the result.
    std::uint32_t finishOperation(BusyClaim claim, Operation op, const DialogValues& view);
    // Copies the view in and runs the operation; an exception ends it with a
    // message box and result 0.
    std::uint32_t startedOperation(Operation op, const DialogValues& view);
    // Joins the workers that are done (never the calling one: it is not done).
    void joinFinishedWorkers();
    std::uint32_t execute(Operation op);
    // The opening shared by device operations: storage type, "ŁĄCZENIE...",
    // Open. false after showing the failure.
    struct Opening {
        bool reenableButtonsOnUiError = true;
        const char* uiErrorText = "Error 0x01: UI parameter error !";
    };
    bool openRecorder(const Opening& how);
    // Writes one member's image from `firstSector` on in 64 KiB pieces, to the
    // device or, given `image`, into that file. `showPiece` gets, for each
    // piece, the bytes of this image written before it (see writePiece for
    // when). Bytes of the last sector past the file's end are 0xFF. false when
    // the file ended early or a write failed.
    bool writeImage(FirmwareMember& member, std::uint32_t firstSector, std::vector<std::uint8_t>& buffer,
                    const std::function<void(std::uint64_t done)>& showPiece = {}, std::fstream* image = nullptr);
    // Writes whole sectors from `firstSector` on to the device or, given
    // `image`, into that file. `showProgress` runs before a device write and
    // after a file write. false when the write failed.
    [[nodiscard]] bool writePiece(std::uint64_t firstSector, std::span<const std::uint8_t> sectors,
                                  std::fstream* image, const std::function<void()>& showProgress);
    // Content of one placed record: to the device (`image` null) or into an image file.
    bool writePartitionContent(const PartitionRecord& record, std::uint32_t startSector, std::fstream* image);
    // Copies one content file to the device or the image from `startSector` on.
    bool copyContentFile(const std::filesystem::path& path, const PartitionRecord& record, std::uint32_t startSector,
                         std::fstream* image);
    // Loads the updater when the recorder runs its boot ROM; false after the download error.
    bool syncIfInBootRom();
    // Register access's opening: "ŁĄCZENIE...", Open, the view copied in, the start message.
    bool openForRegisterAccess(const char* startMessage);
    // A register field's number; nullopt after the "invalid number" message.
    std::optional<std::uint64_t> registerNumber(const std::string& text);
    bool browseFile(bool save, std::string& field, const char* profileKey);
    // The SD image's steps that need the intermediate file open.
    std::uint32_t buildSdImage(std::fstream& image);
    // Runs the merge tool on the intermediate file and deletes it on success.
    std::uint32_t mergeSdImage();
    // Steps of the full update before its closing command.
    std::uint32_t fullUpdateSteps();
    // Selects the user area of the current storage again, result ignored.
    void reselectUserArea();
    // Leaves the finished index table sector in the working folder; false after a message.
    bool writeFirstSectorCopy(const IndexTableSector& sector);
    // The common part of updatePartitionSetting and configureUserArea.
    std::uint32_t layDownPlan(bool withContent);
    // Reads the images written by the burn and the index table sector back from
    // the selected area; false after a message naming the first difference.
    bool verifyBurn(std::span<const FirmwareMember> members, const IndexTableSector& table);
    // The serial-flash burn after its firmware-number check, up to the final enabling of the buttons.
    std::uint32_t burnSerialFlashSet(std::uint32_t n, std::int32_t configureUserArea);

    ControllerEnvironment m_env;
    UsbScsiCmd m_usbCmd;
    PcStorageCmd m_pcCmd;
    StatusLine m_status;

    std::atomic<bool> m_busy{false};  // one operation at a time, held through a BusyClaim
    std::mutex m_workersMutex;
    std::vector<Worker> m_workers;
};

}  // namespace ib
