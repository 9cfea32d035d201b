// Test doubles for the controller's surroundings. See fake_environment.h.
#include "support/fake_environment.h"
#include "seams/utf8_path.h"


namespace ib::test {

bool FakeDeviceEvents::registerClass(InterfaceClass cls) {
    if (static_cast<int>(registered.size()) == refuseAt) return false;
    registered.push_back(cls);
    return true;
}

void FakeDeviceEvents::fire(std::uint32_t type, const std::string& interfaceName) const {
    if (sink) sink(DeviceEvent{type, kDeviceTypeInterface, interfaceName});
}

int RecordingProcesses::run(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                            const std::filesystem::path& workingDirectory) {
    calls.push_back({program, arguments, workingDirectory});
    return behaviour(calls.back());
}

ControllerRig::ControllerRig(VolumeProvider& volumes, UsbStorageEnumerator* devices, DeviceEventSource* events,
                             ManualClock* sharedClock)
    : clock(sharedClock ? *sharedClock : ownClock),
      session(app::ApplicationSession::open(port, withDoubles(volumes, devices, events))),
      controller(session->controller) {}

app::SessionOptions ControllerRig::withDoubles(VolumeProvider& volumes, UsbStorageEnumerator* devices,
                                              DeviceEventSource* events) {
    app::SessionOptions options;
    options.workingDirectory = workdir.path();
    app::SessionOverrides& doubles = options.overrides;
    doubles.volumes = &volumes;
    doubles.devices = devices ? devices : &fakeDevices;
    doubles.deviceEvents = events ? events : &fakeEvents;
    doubles.clock = &clock;
    doubles.profile = &profile;
    doubles.processes = &processes;
    for (const char* tool : {"TreeBaler", "mergeimg"}) toolsdir.write(tool, "");
    doubles.locateTool = [this](const std::string& name) { return toolsdir.path() / pathFromUtf8(name); };
    doubles.temporaryDirectory = tmpdir.path();
    doubles.physicalDrives = [](std::uint8_t) { return std::optional<std::string>{}; };
    return options;
}

}  // namespace ib::test
