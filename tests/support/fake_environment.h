// Test doubles for the controller's surroundings: a settable USB device list,
// a notification source tests fire by hand, an in-memory profile, a process
// runner that records its calls, and a rig that assembles a controller on a
// temporary working folder.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/application_session.h"
#include "app/memory_profile.h"
#include "seams/clock.h"
#include "support/recording_port.h"
#include "support/temp_folder.h"
#include "app/image_burner_controller.h"

namespace ib::test {

class FakeUsbStorage final : public UsbStorageEnumerator {
public:
    UsbStorageList list{true, {}, {}};
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

// A controller on a temporary working folder, talking to `volumes`: the
// application session with every outside part replaced by a double.
class ControllerRig {
public:
    explicit ControllerRig(VolumeProvider& volumes, UsbStorageEnumerator* devices = nullptr,
                           DeviceEventSource* events = nullptr, ManualClock* sharedClock = nullptr);

    RecordingPort port;
    FakeUsbStorage fakeDevices;
    FakeDeviceEvents fakeEvents;
    ManualClock ownClock;
    ManualClock& clock;
    app::MemoryProfile profile;
    RecordingProcesses processes;
    TempFolder workdir;
    TempFolder tmpdir;
    TempFolder toolsdir;  // the helper tools' stand-ins (the processes run none of them)
    std::unique_ptr<app::ApplicationSession> session;
    std::unique_ptr<CImageBurnerDlg>& controller;  // the session's; reset() closes it early
    DialogValues view;

private:
    // Every outside part of the session replaced by the rig's doubles.
    app::SessionOptions withDoubles(VolumeProvider& volumes, UsbStorageEnumerator* devices,
                                    DeviceEventSource* events);
};

}  // namespace ib::test
