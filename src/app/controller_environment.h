// Everything outside the program that the controller reaches: the recorder's
// volumes, the USB device list and its notifications, time, the user profile,
// helper processes, the working folder and the temporary folder. The CLI, the
// GUI and the tests each assemble one.
#pragma once

#include <filesystem>
#include <functional>

#include "device/pc_storage_cmd.h"
#include "operation/operation_context.h"
#include "operation/stop_request.h"
#include "seams/clock.h"
#include "seams/pass_through.h"
#include "seams/process_runner.h"
#include "seams/profile_store.h"
#include "seams/usb_storage_enumeration.h"
#include "app/user_interface_port.h"

namespace ib {

struct ControllerEnvironment {
    UserInterfacePort& ui;
    VolumeProvider& volumes;
    UsbStorageEnumerator& devices;
    DeviceEventSource& deviceEvents;
    Clock& clock;
    ProfileStore& profile;
    ProcessRunner& processes;
    ToolLocator locateTool;
    std::filesystem::path workingDirectory;
    std::filesystem::path temporaryDirectory;
    std::filesystem::path packingFolder;  // see OperationServices
    PcStorageCmd::DrivePathNamer physicalDrives;
    // Runs the handling of a device event where the face wants it (a window
    // on its own thread); unset: on the event source's thread.
    std::function<void(std::function<void()> handle)> deliverDeviceEvent;
    // Asked for from outside (a termination signal); the running operation
    // stops at its next command.
    StopRequest stop;
};

}  // namespace ib
