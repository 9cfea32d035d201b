// Test doubles for the controller's surroundings: a settable USB device list,
// a notification source tests fire by hand, an in-memory profile, a process
// runner that records its calls, and a rig that assembles a controller on a
// temporary working folder.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "device/clock.h"
#include "support/recording_port.h"
#include "support/temp_folder.h"
#include "update/image_burner_controller.h"

namespace ib::test {

class FakeUsbStorage final : public UsbStorageEnumerator {
public:
    UsbStorageList list{true, {}};
    UsbStorageList presentDevices() override { return list; }
};

class FakeDeviceEvents final : public DeviceEventSource {
public:
    int refuseAt = -1;  // registration index the system refuses, -1 for none
    std::vector<InterfaceClass> registered;
    Sink sink;
    bool registerClass(InterfaceClass cls) override;
    void start(Sink s) override { sink = std::move(s); }
    void stop() override {}
    void fire(std::uint32_t type, const std::string& interfaceName) const;
};

class MemoryProfile final : public ProfileStore {
public:
    std::map<std::string, std::string> values;  // "section/key"
    std::string read(const std::string& section, const std::string& key) override;
    bool write(const std::string& section, const std::string& key, const std::string& value) override;
};

class RecordingProcesses final : public ProcessRunner {
public:
    struct Call {
        std::filesystem::path program;
        std::vector<std::string> arguments;
        std::filesystem::path workingDirectory;
    };
    std::vector<Call> calls;
    // Runs instead of the program; returns the exit status.
    std::function<int(const Call&)> behaviour = [](const Call&) { return 0; };
    int run(const std::filesystem::path& program, const std::vector<std::string>& arguments,
            const std::filesystem::path& workingDirectory) override;
};

// A controller on a temporary working folder, talking to `volumes`.
class ControllerRig {
public:
    explicit ControllerRig(VolumeProvider& volumes, UsbStorageEnumerator* devices = nullptr,
                           DeviceEventSource* events = nullptr, ManualClock* sharedClock = nullptr);

    RecordingPort port;
    FakeUsbStorage fakeDevices;
    FakeDeviceEvents fakeEvents;
    ManualClock ownClock;
    ManualClock& clock;
    MemoryProfile profile;
    RecordingProcesses processes;
    TempFolder workdir;
    TempFolder tmpdir;
    std::unique_ptr<CImageBurnerDlg> controller;
    DialogValues view;
};

}  // namespace ib::test
