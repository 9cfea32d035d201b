// Test doubles for the controller's surroundings. See fake_environment.h.
#include "support/fake_environment.h"


namespace ib::test {

bool FakeDeviceEvents::registerClass(InterfaceClass cls) {
    if (static_cast<int>(registered.size()) == refuseAt) return false;
    registered.push_back(cls);
    return true;
}

void FakeDeviceEvents::fire(std::uint32_t type, const std::string& interfaceName) const {
    if (sink) sink(DeviceEvent{type, kDeviceTypeInterface, interfaceName});
}

std::string MemoryProfile::read(const std::string& section, const std::string& key) {
    auto it = values.find(section + "/" + key);
    return it == values.end() ? "" : it->second;
}

bool MemoryProfile::write(const std::string& section, const std::string& key, const std::string& value) {
    values[section + "/" + key] = value;
    return true;
}

int RecordingProcesses::run(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                            const std::filesystem::path& workingDirectory) {
    calls.push_back({program, arguments, workingDirectory});
    return behaviour(calls.back());
}

ControllerRig::ControllerRig(VolumeProvider& volumes, UsbStorageEnumerator* devices, DeviceEventSource* events,
                             ManualClock* sharedClock)
    : clock(sharedClock ? *sharedClock : ownClock) {
    ControllerEnvironment env{
        port,
        volumes,
        devices ? *devices : fakeDevices,
        events ? *events : fakeEvents,
        clock,
        profile,
        processes,
        [this](const std::string& name) { return workdir.path() / name; },
        workdir.path(),
        tmpdir.path(),
        [](std::uint8_t) { return std::optional<std::string>{}; },
    };
    controller = std::make_unique<CImageBurnerDlg>(std::move(env));
}

}  // namespace ib::test
