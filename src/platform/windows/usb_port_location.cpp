// The USB port of a volume's disk: the disk with the volume's device number
// among the present disks, then up the device tree to the USB device, whose
// location path names the port. See usb_port_location.h.
#include "platform/windows/usb_port_location.h"

#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>
#include <winioctl.h>

#include <vector>

#include "platform/windows/wide_text.h"

namespace ib::platform {
namespace {

const GUID kDiskInterface = {0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

std::optional<STORAGE_DEVICE_NUMBER> deviceNumberOf(HANDLE device) {
    STORAGE_DEVICE_NUMBER number{};
    DWORD returned = 0;
    if (!::DeviceIoControl(device, IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number, sizeof number, &returned,
                           nullptr))
        return std::nullopt;
    return number;
}

// The device node of the present disk with the volume's device number.
std::optional<DEVINST> diskNodeOf(const STORAGE_DEVICE_NUMBER& wanted) {
    const HDEVINFO disks = ::SetupDiGetClassDevsW(&kDiskInterface, nullptr, nullptr,
                                                  DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (disks == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<DEVINST> found;
    SP_DEVICE_INTERFACE_DATA iface{};
    iface.cbSize = sizeof iface;
    for (DWORD i = 0; !found && ::SetupDiEnumDeviceInterfaces(disks, nullptr, &kDiskInterface, i, &iface); ++i) {
        DWORD size = 0;
        ::SetupDiGetDeviceInterfaceDetailW(disks, &iface, nullptr, 0, &size, nullptr);
        std::vector<std::uint8_t> storage(size + sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W));
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
        detail->cbSize = sizeof *detail;
        SP_DEVINFO_DATA node{};
        node.cbSize = sizeof node;
        if (!::SetupDiGetDeviceInterfaceDetailW(disks, &iface, detail, size, nullptr, &node)) continue;
        const HANDLE disk = ::CreateFileW(detail->DevicePath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr);
        if (disk == INVALID_HANDLE_VALUE) continue;
        const auto number = deviceNumberOf(disk);
        ::CloseHandle(disk);
        if (number && number->DeviceType == wanted.DeviceType && number->DeviceNumber == wanted.DeviceNumber)
            found = node.DevInst;
    }
    ::SetupDiDestroyDeviceInfoList(disks);
    return found;
}

std::optional<std::string> locationPathOf(DEVINST node) {
    ULONG bytes = 0;
    if (::CM_Get_DevNode_Registry_PropertyW(node, CM_DRP_LOCATION_PATHS, nullptr, nullptr, &bytes, 0) !=
            CR_BUFFER_SMALL ||
        bytes == 0)
        return std::nullopt;
    std::vector<wchar_t> paths(bytes / sizeof(wchar_t) + 1, L'\0');
    if (::CM_Get_DevNode_Registry_PropertyW(node, CM_DRP_LOCATION_PATHS, nullptr, paths.data(), &bytes, 0) !=
            CR_SUCCESS ||
        paths[0] == L'\0')
        return std::nullopt;
    return utf8FromWide(paths.data());  // the first of the list
}

}  // namespace

std::optional<std::string> usbPortLocation(void* volume) {
    const auto number = deviceNumberOf(static_cast<HANDLE>(volume));
    if (!number) return std::nullopt;
    const auto node = diskNodeOf(*number);
    return node ? usbPortLocationAbove(*node) : std::nullopt;
}

std::optional<std::string> usbPortLocationAbove(unsigned long node) {
    // Up from the disk (its USBSTOR node, then the USB device) to the first with a location path.
    DEVINST current = node;
    for (int level = 0; level < 3; ++level) {
        DEVINST parent = 0;
        if (::CM_Get_Parent(&parent, current, 0) != CR_SUCCESS) return std::nullopt;
        if (auto location = locationPathOf(parent)) return location;
        current = parent;
    }
    return std::nullopt;
}

}  // namespace ib::platform
