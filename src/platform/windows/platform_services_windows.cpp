// The Windows implementations of the engine's seams. See platform_services.h.
#include "platform/platform_services.h"

#include "platform/windows/appdata_profile_store.h"
#include "platform/windows/scsi_volume_provider.h"
#include "platform/windows/setupdi_usb_storage_enumerator.h"
#include "platform/windows/window_device_event_source.h"
#include "platform/windows/windows_process_runner.h"

namespace ib::platform {

PlatformServices makePlatformServices() {
    PlatformServices services;
    services.volumes = std::make_unique<ScsiVolumeProvider>();
    services.storageList = std::make_unique<SetupDiUsbStorageEnumerator>();
    services.deviceEvents = std::make_unique<WindowDeviceEventSource>();
    services.processes = std::make_unique<WindowsProcessRunner>();
    services.profile = std::make_unique<AppDataProfileStore>(AppDataProfileStore::forCurrentUser());
    return services;
}

}  // namespace ib::platform
