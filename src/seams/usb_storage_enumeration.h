// The seam to the system's list of USB storage devices and their arrival and
// removal notifications, in the form a Windows USB mass-storage device has:
// instance IDs "USBSTOR\DISK&VEN_<vendor>&PROD_<product>&REV_<rev>\<serial>"
// and device-interface names. Linux (udev) and the simulated recorder both
// present themselves this way, so recorder recognition is the same everywhere.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ib {

struct UsbStorageList {
    bool available = false;  // false: the enumeration could not be started
    // One entry per present device in enumeration order; nullopt where the
    // instance ID could not be read.
    std::vector<std::optional<std::string>> instanceIds;
    // The USB port path of each device ("1-2.3": bus, then the hub ports),
    // in the same order; empty, or "" in places, where the system tells none.
    // It names where a recorder sits and stays the same when the recorder
    // leaves the bus and comes back as another USB device on that port.
    std::vector<std::string> portPaths;
};

class UsbStorageEnumerator {
public:
    virtual ~UsbStorageEnumerator() = default;
    virtual UsbStorageList presentDevices() = 0;
};

// Notification event types and the device type of a device-interface event.
inline constexpr std::uint32_t kDeviceArrival = 0x8000;
inline constexpr std::uint32_t kDeviceRemoveComplete = 0x8004;
inline constexpr std::uint32_t kDeviceTypeInterface = 5;

struct DeviceEvent {
    std::uint32_t eventType = 0;
    std::uint32_t deviceType = kDeviceTypeInterface;
    // "\\?\USBSTOR#DISK&VEN_...#...#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}"
    std::string interfaceName;
};

// The four device-interface classes the program listens to, in registration order.
enum class InterfaceClass { UsbDevice, Disk, Hid, NdisLan };

class DeviceEventSource {
public:
    using Sink = std::function<void(const DeviceEvent&)>;
    virtual ~DeviceEventSource() = default;
    // Registers for one interface class; false when the system refuses.
    virtual bool registerClass(InterfaceClass cls) = 0;
    // Starts delivering events of the registered classes to `sink`, from a
    // thread of the source's own, until stop() or destruction.
    virtual void start(Sink sink) = 0;
    virtual void stop() = 0;
};

}  // namespace ib
