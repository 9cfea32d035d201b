// Everything outside the program that the controller reaches: the recorder's
// volumes, the USB device list and its notifications, time, the user profile,
// helper processes, the working folder and the temporary folder. The CLI, the
// GUI and the tests each assemble one.
#pragma once

#include <filesystem>
#include <functional>

#include "device/pc_storage_cmd.h"
#include "seams/clock.h"
#include "seams/pass_through.h"
#include "seams/process_runner.h"
#include "seams/profile_store.h"
#include "seams/usb_storage_enumeration.h"
#include "update/user_interface_port.h"

namespace ib {

struct ControllerEnvironment {
    UserInterfacePort& ui;
    VolumeProvider& volumes;
    UsbStorageEnumerator& devices;
    DeviceEventSource& deviceEvents;
    Clock& clock;
    ProfileStore& profile;
    ProcessRunner& processes;
    // Finds a helper tool by name: the working folder's own first, else the installed one.
    std::function<std::filesystem::path(const std::string& name)> locateTool;
    std::filesystem::path workingDirectory;
    std::filesystem::path temporaryDirectory;
    PcStorageCmd::DrivePathNamer physicalDrives;
};

}  // namespace ib
