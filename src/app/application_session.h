// One run of the program: everything outside the engine that the controller
// reaches, assembled in one place for every face (the command line, the
// window, the benchmarks, the test rig), and the controller built on it.
//
//   SessionOptions options;
//   options.workingDirectory = dir;
//   std::string error;
//   auto session = ApplicationSession::open(port, options, error);
//   if (!session) { /* error says why */ }
//   DialogValues view;
//   session->controller->startUp(view);
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/chosen_recorder_volumes.h"
#include "device/pc_storage_cmd.h"
#include "platform/platform_services.h"
#include "seams/clock.h"
#include "seams/pass_through.h"
#include "seams/process_runner.h"
#include "seams/profile_store.h"
#include "seams/usb_storage_enumeration.h"
#include "app/image_burner_controller.h"
#include "app/reported_tool_runs.h"
#include "app/user_interface_port.h"
#include "app/working_folder.h"

namespace ib::sim {
class SimulatorRack;
}
namespace ib::record {
class Recording;
class Replay;
}

namespace ib::app {

// What a benchmark or a test puts in place of the session's own parts. Each
// one left unset is made by the session; the doubles must outlive it.
struct SessionOverrides {
    VolumeProvider* volumes = nullptr;
    UsbStorageEnumerator* devices = nullptr;
    DeviceEventSource* deviceEvents = nullptr;
    Clock* clock = nullptr;
    ProfileStore* profile = nullptr;
    ProcessRunner* processes = nullptr;
    std::function<std::filesystem::path(const std::string& name)> locateTool;
    std::optional<std::filesystem::path> temporaryDirectory;
    PcStorageCmd::DrivePathNamer physicalDrives;
    // Runs the handling of each device event; unset: on the event source's own thread.
    std::function<void(std::function<void()> handle)> deliverDeviceEvent;
};

struct SessionOptions {
    // The folder of DiskInfo.ini and the firmware files, made absolute.
    std::filesystem::path workingDirectory = ".";
    // Set by a window started without a folder on its command line: the
    // working folder is then chosen from workingDirectory (the current one),
    // the user's profile and this question, as startFolder says.
    FolderQuestion askWorkingFolder;
    // Where folder images are packed; empty: the working folder. Sessions that
    // run at once on one working folder each need their own, or one would
    // rewrite the image another is copying.
    std::filesystem::path packingFolder;
    // The state folders of the simulated recorders to talk to (or bus folders
    // that hold several); none: the machine's own USB devices.
    std::vector<std::filesystem::path> simulatorFolders;
    // What stops a running operation at its next command (a termination signal); unset: nothing.
    StopRequest stop;
    SessionOverrides overrides;
    // Every exchange with the recorder and the events around it go to this
    // file as the session goes; empty: no recording. `recordData` keeps the
    // data sent and sector reads whole instead of their digests.
    std::filesystem::path recordFile;
    bool recordData = false;
    // A recording that answers in place of a recorder; empty: none.
    // `replayTiming` keeps the recorded pauses, else the program's waits pass at once.
    std::filesystem::path replayFile;
    bool replayTiming = false;
};

class ApplicationSession {
public:
    // The session with its controller (not started up yet), talking to `port`,
    // which must outlive it. Null with `error` set when the simulator folder
    // holds no recorder or there is no temporary folder.
    static std::unique_ptr<ApplicationSession> open(UserInterfacePort& port, const SessionOptions& options,
                                                    std::string& error);
    // The same for callers that cannot go on without one (benchmarks, test
    // rigs): throws std::runtime_error with the reason.
    static std::unique_ptr<ApplicationSession> open(UserInterfacePort& port, const SessionOptions& options);
    ~ApplicationSession();
    ApplicationSession(const ApplicationSession&) = delete;
    ApplicationSession& operator=(const ApplicationSession&) = delete;

    // The volumes and the USB device list the controller was given.
    VolumeProvider& volumes() const { return *m_volumes; }
    UsbStorageEnumerator& devices() const { return *m_devices; }
    // When the session answers from a recording: nullopt while the run has
    // matched it from start to end, else what differed. nullopt without one.
    std::optional<std::string> replayVerdict() const;
    // What a replay that went through should still tell (sector reads it
    // could only answer with zeros); what a recording cut short by a failed
    // write said when it stopped. nullopt when there is nothing to tell.
    std::optional<std::string> replayWarning() const;
    std::optional<std::string> recordingStopped() const;
    // Every volume, whichever recorder it belongs to (for listing them).
    VolumeProvider& allVolumes() const { return *m_allVolumes; }
    // Restricts the controller's operations to the recorder on `portPath`
    // before any of them runs; "" leaves every recorder reachable.
    void chooseRecorder(std::string portPath) { m_chosen->choose(std::move(portPath)); }
    // The state folder of the simulated recorder on `portPath`; empty when
    // the session talks to the machine's own recorders or none is there.
    std::filesystem::path simulatorFolderOf(const std::string& portPath) const;

    // Built last and destroyed first, as it uses everything else here. A face
    // may reset it to close the controller early (stopping notifications and
    // waiting for running workers) while the rest stays.
    std::unique_ptr<CImageBurnerDlg> controller;

private:
    ApplicationSession();
    // Puts the recording of `options` in place of the seams `given` leaves open.
    bool startReplay(const SessionOptions& options, SessionOverrides& given, std::string& error);
    // Wraps the seams in decorators that record every call.
    // A line that cannot be written is told to `port` at once.
    bool startRecording(const SessionOptions& options, UserInterfacePort& port, VolumeProvider*& volumes,
                        UsbStorageEnumerator*& devices, DeviceEventSource*& events, std::string& error);

    SystemClock m_systemClock;
    std::optional<platform::PlatformServices> m_services;
    std::unique_ptr<sim::SimulatorRack> m_simulators;
    std::unique_ptr<ChosenRecorderVolumes> m_chosen;
    VolumeProvider* m_allVolumes = nullptr;
    std::optional<ReportedToolRuns> m_reportedToolRuns;
    std::unique_ptr<record::Replay> m_replay;
    std::filesystem::path m_replayFile;
    std::optional<ManualClock> m_replayClock;
    std::unique_ptr<record::Recording> m_recording;
    std::unique_ptr<VolumeProvider> m_recordedVolumes;
    std::unique_ptr<UsbStorageEnumerator> m_recordedDevices;
    std::unique_ptr<DeviceEventSource> m_recordedEvents;
    VolumeProvider* m_volumes = nullptr;
    UsbStorageEnumerator* m_devices = nullptr;
};

}  // namespace ib::app
