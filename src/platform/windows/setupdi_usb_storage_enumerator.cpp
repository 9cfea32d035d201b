// USB mass-storage enumeration through SetupDi. See setupdi_usb_storage_enumerator.h.
#include "platform/windows/setupdi_usb_storage_enumerator.h"

#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>

#include "platform/windows/usb_port_location.h"
#include "platform/windows/wide_text.h"

namespace ib::platform {
namespace {

std::optional<std::string> instanceIdOf(HDEVINFO devices, SP_DEVINFO_DATA& device) {
    wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
    if (!::SetupDiGetDeviceInstanceIdW(devices, &device, id, MAX_DEVICE_ID_LEN + 1, nullptr)) return std::nullopt;
    return utf8FromWide(id);
}

}  // namespace

UsbStorageList SetupDiUsbStorageEnumerator::presentDevices() {
    UsbStorageList list;
    const HDEVINFO devices = ::SetupDiGetClassDevsW(nullptr, L"USBSTOR", nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (devices == INVALID_HANDLE_VALUE) return list;
    list.available = true;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; ::SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
        list.instanceIds.push_back(instanceIdOf(devices, device));
        list.portPaths.push_back(usbPortLocationAbove(device.DevInst).value_or(""));
    }
    ::SetupDiDestroyDeviceInfoList(devices);
    return list;
}

}  // namespace ib::platform
