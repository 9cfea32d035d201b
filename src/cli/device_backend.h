// What the command line talks to: the simulated recorder of a state folder
// (--sim DIR) or the machine's real USB devices.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "device/clock.h"
#include "device/pass_through.h"
#include "device/usb_storage_enumeration.h"

namespace ib::platform {
struct PlatformServices;
}

namespace ib::cli {

class DeviceBackend {
public:
    virtual ~DeviceBackend() = default;
    virtual VolumeProvider& volumes() = 0;
    virtual UsbStorageEnumerator& devices() = 0;
    virtual DeviceEventSource& deviceEvents() = 0;
};

// The simulated recorder kept in `stateFolder`; null with `error` set when the
// folder holds no simulator.
std::unique_ptr<DeviceBackend> openSimulatorBackend(const std::filesystem::path& stateFolder, Clock& clock,
                                                    std::string& error);
// The machine's USB storage devices, from the platform's services (which
// must outlive the backend).
std::unique_ptr<DeviceBackend> openSystemBackend(platform::PlatformServices& services);

}  // namespace ib::cli
