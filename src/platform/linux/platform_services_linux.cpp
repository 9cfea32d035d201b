// The Linux implementations of the engine's seams. See platform_services.h.
#include "platform/platform_services.h"

#include "platform/linux/posix_process_runner.h"
#include "platform/linux/sg_volume_provider.h"
#include "platform/linux/udev_device_event_source.h"
#include "platform/linux/udev_usb_storage_enumerator.h"
#include "platform/linux/xdg_profile_store.h"

namespace ib::platform {

PlatformServices makePlatformServices() {
    PlatformServices services;
    services.volumes = std::make_unique<SgVolumeProvider>();
    services.storageList = std::make_unique<UdevUsbStorageEnumerator>();
    services.deviceEvents = std::make_unique<UdevDeviceEventSource>();
    services.processes = std::make_unique<PosixProcessRunner>();
    services.profile = std::make_unique<XdgProfileStore>(XdgProfileStore::forCurrentUser());
    return services;
}

}  // namespace ib::platform
