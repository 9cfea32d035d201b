// Assembling one run of the program. See application_session.h.
#include "app/application_session.h"

#include <stdexcept>

#include "app/temporary_folder.h"
#include "platform/helper_tool_location.h"
#include "platform/physical_drive_path.h"
#include "record/recording.h"
#include "record/replay.h"
#include "sim/simulator_rack.h"
#include "seams/utf8_path.h"
#include "seams/system_error_text.h"

namespace ib::app {
namespace {

bool everySeamGiven(const SessionOverrides& given) {
    return given.volumes && given.devices && given.deviceEvents && given.profile && given.processes;
}

// The given temporary folder, else the program's; nullopt with `error` set
// when the system names none.
std::optional<std::filesystem::path> temporaryDirectoryFor(const SessionOverrides& given, std::string& error) {
    if (given.temporaryDirectory) return given.temporaryDirectory;
    std::error_code noFolder;
    std::filesystem::path folder = temporaryFolder(noFolder);
    if (!noFolder) return folder;
    error = "No temporary folder (set TMPDIR to one): " + systemErrorText(noFolder);
    return std::nullopt;
}

}  // namespace

bool ApplicationSession::startReplay(const SessionOptions& options, SessionOverrides& given, std::string& error) {
    const StopRequest stop = options.stop;
    m_replay = record::Replay::load(options.replayFile, options.replayTiming, error, [stop] { return stop.requested(); });
    if (!m_replay) return false;
    m_replayFile = options.replayFile;
    given.volumes = m_replay.get();
    given.devices = m_replay.get();
    given.deviceEvents = m_replay.get();
    if (!options.replayTiming) given.clock = &m_replayClock.emplace(m_systemClock.nowMs());
    return true;
}

bool ApplicationSession::startRecording(const SessionOptions& options, UserInterfacePort& port,
                                        VolumeProvider*& volumes, UsbStorageEnumerator*& devices,
                                        DeviceEventSource*& events, std::string& error) {
    m_recording = record::Recording::create(options.recordFile, options.recordData, error,
                                            [&port](const std::string& message) { port.showWarning(message); });
    if (!m_recording) return false;
    m_recordedVolumes = std::make_unique<record::RecordingVolumes>(*volumes, *m_recording);
    m_recordedDevices = std::make_unique<record::RecordingDeviceList>(*devices, *m_recording);
    m_recordedEvents = std::make_unique<record::RecordingDeviceEvents>(*events, *m_recording);
    volumes = m_recordedVolumes.get();
    devices = m_recordedDevices.get();
    events = m_recordedEvents.get();
    return true;
}

std::optional<std::string> ApplicationSession::replayVerdict() const {
    return m_replay ? m_replay->verdict() : std::nullopt;
}

std::optional<std::string> ApplicationSession::replayWarning() const {
    return m_replay ? m_replay->warning(m_replayFile) : std::nullopt;
}

std::optional<std::string> ApplicationSession::recordingStopped() const {
    return m_recording ? m_recording->stopped() : std::nullopt;
}

std::unique_ptr<ApplicationSession> ApplicationSession::open(UserInterfacePort& port, const SessionOptions& options,
                                                             std::string& error) {
    std::unique_ptr<ApplicationSession> session(new ApplicationSession);
    SessionOverrides given = options.overrides;
    const bool replaying = !options.replayFile.empty();
    if (replaying && !session->startReplay(options, given, error)) return nullptr;
    Clock& clock = given.clock ? *given.clock : session->m_systemClock;
    if (!everySeamGiven(given)) session->m_services = platform::makePlatformServices();
    if (!options.simulatorFolders.empty() && !replaying) {
        session->m_simulators = sim::SimulatorRack::open(options.simulatorFolders, clock, error);
        if (!session->m_simulators) return nullptr;
    }
    sim::SimulatorRack* simulator = session->m_simulators.get();
    platform::PlatformServices* system = session->m_services ? &*session->m_services : nullptr;

    std::optional<std::filesystem::path> temporaryDirectory = temporaryDirectoryFor(given, error);
    if (!temporaryDirectory) return nullptr;

    // A double wins, then the simulated recorder, then the machine's own.
    VolumeProvider& allVolumes = given.volumes ? *given.volumes : simulator ? *simulator : *system->volumes;
    UsbStorageEnumerator& devices = given.devices ? *given.devices : simulator ? *simulator : *system->storageList;
    DeviceEventSource* deviceEvents =
        given.deviceEvents ? given.deviceEvents : simulator ? simulator : system->deviceEvents.get();
    VolumeProvider* reachedVolumes = &allVolumes;  // the volumes the program opens, recorded when asked
    session->m_allVolumes = &allVolumes;
    session->m_devices = &devices;
    if (!options.recordFile.empty() &&
        !session->startRecording(options, port, reachedVolumes, session->m_devices, deviceEvents, error))
        return nullptr;
    // The chosen recorder's filter stands in front of the recording: another recorder's volume is never
    // opened, so it is not in the recording either, and a replay filters its opens by the recorded ports
    // the same way (another choice then differs from the recording at its first open).
    session->m_chosen = std::make_unique<ChosenRecorderVolumes>(*reachedVolumes);
    session->m_volumes = session->m_chosen.get();

    ProfileStore& profile = given.profile ? *given.profile : *system->profile;
    const std::filesystem::path workdir =
        std::filesystem::absolute(options.askWorkingFolder
                                      ? startFolder(options.workingDirectory, profile, options.askWorkingFolder)
                                      : options.workingDirectory)
            .lexically_normal();
    auto locateTool = given.locateTool ? given.locateTool : [workdir](const std::string& name) {
        return platform::findHelperTool(name, workdir).value_or(workdir / pathFromUtf8(name));
    };
    auto physicalDrives = given.physicalDrives ? given.physicalDrives : [](std::uint8_t n) {
        return platform::physicalDrivePath(n, platform::defaultPhysicalDrivePrefix());
    };
    session->controller = std::make_unique<CImageBurnerDlg>(ControllerEnvironment{
        port,
        *session->m_volumes,
        *session->m_devices,
        *deviceEvents,
        clock,
        profile,
        session->m_reportedToolRuns.emplace(given.processes ? *given.processes : *system->processes, port),
        std::move(locateTool),
        workdir,
        std::move(*temporaryDirectory),
        options.packingFolder.empty() ? options.packingFolder : std::filesystem::absolute(options.packingFolder),
        std::move(physicalDrives),
        given.deliverDeviceEvent,
        options.stop,
    });
    return session;
}

std::unique_ptr<ApplicationSession> ApplicationSession::open(UserInterfacePort& port, const SessionOptions& options) {
    std::string error;
    auto session = open(port, options, error);
    if (!session) throw std::runtime_error(error);
    return session;
}

ApplicationSession::ApplicationSession() = default;

std::filesystem::path ApplicationSession::simulatorFolderOf(const std::string& portPath) const {
    return m_simulators ? m_simulators->folderOf(portPath) : std::filesystem::path();
}

ApplicationSession::~ApplicationSession() {
    controller.reset();  // before the services, notifications and simulator it uses
}

}  // namespace ib::app
