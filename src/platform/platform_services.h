// The operating system's implementations of the engine's seams, made in one
// place so that the faces (command line, window) never name a platform class.
// Each platform build provides makePlatformServices().
#pragma once

#include <memory>

#include "seams/pass_through.h"
#include "seams/process_runner.h"
#include "seams/profile_store.h"
#include "seams/usb_storage_enumeration.h"

namespace ib::platform {

struct PlatformServices {
    std::unique_ptr<VolumeProvider> volumes;            // drive letters D..Z with pass-through
    std::unique_ptr<UsbStorageEnumerator> storageList;  // present USB storage devices
    std::unique_ptr<DeviceEventSource> deviceEvents;    // arrival and removal notifications
    std::unique_ptr<ProcessRunner> processes;           // helper tools
    std::unique_ptr<ProfileStore> profile;              // the user's remembered paths
};

PlatformServices makePlatformServices();

}  // namespace ib::platform
