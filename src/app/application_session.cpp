// Assembling one run of the program. See application_session.h.
#include "app/application_session.h"

#include <stdexcept>

#include "app/temporary_folder.h"
#include "platform/helper_tool_location.h"
#include "platform/physical_drive_path.h"
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

std::unique_ptr<ApplicationSession> ApplicationSession::open(UserInterfacePort& port, const SessionOptions& options,
                                                             std::string& error) {
    const SessionOverrides& given = options.overrides;
    std::unique_ptr<ApplicationSession> session(new ApplicationSession);
    Clock& clock = given.clock ? *given.clock : session->m_systemClock;
    if (!everySeamGiven(given)) session->m_services = platform::makePlatformServices();
    if (!options.simulatorFolders.empty()) {
        session->m_simulators = sim::SimulatorRack::open(options.simulatorFolders, clock, error,
                                                            options.leaveOutHeldSimulators);
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
    session->m_chosen = std::make_unique<ChosenRecorderVolumes>(allVolumes);
    VolumeProvider& volumes = *session->m_chosen;
    session->m_allVolumes = &allVolumes;
    session->m_volumes = &volumes;
    session->m_devices = &devices;

    const std::filesystem::path workdir = std::filesystem::absolute(options.workingDirectory).lexically_normal();
    auto locateTool = given.locateTool ? given.locateTool : [workdir](const std::string& name) {
        return platform::findHelperTool(name, workdir).value_or(workdir / pathFromUtf8(name));
    };
    auto physicalDrives = given.physicalDrives ? given.physicalDrives : [](std::uint8_t n) {
        return platform::physicalDrivePath(n, platform::defaultPhysicalDrivePrefix());
    };
    session->controller = std::make_unique<CImageBurnerDlg>(ControllerEnvironment{
        port,
        volumes,
        devices,
        *deviceEvents,
        clock,
        given.profile ? *given.profile : *system->profile,
        session->m_reportedToolRuns.emplace(given.processes ? *given.processes : *system->processes, port),
        std::move(locateTool),
        workdir,
        std::move(*temporaryDirectory),
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

std::filesystem::path ApplicationSession::simulatorFolderOf(const std::string& portPath) const {
    return m_simulators ? m_simulators->folderOf(portPath) : std::filesystem::path();
}

ApplicationSession::~ApplicationSession() {
    controller.reset();  // before the services, notifications and simulator it uses
}

}  // namespace ib::app
