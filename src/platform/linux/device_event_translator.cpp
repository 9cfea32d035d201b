// From uevents to device events. See device_event_translator.h.
#include "platform/linux/device_event_translator.h"

namespace ib::platform {
namespace {

std::optional<WatchedKind> kindOf(const ObservedDevice& device) {
    return watchedKindOf(device.subsystem, device.devtype, device.sysname);
}

}  // namespace

void DeviceEventTranslator::enable(InterfaceClass cls) { m_enabled.insert(cls); }

bool DeviceEventTranslator::watches(const ObservedDevice& device) const {
    const auto kind = kindOf(device);
    return kind && m_enabled.contains(interfaceClassOf(*kind));
}

void DeviceEventTranslator::rememberPresent(const ObservedDevice& device) {
    if (!watches(device)) return;
    m_namesByDevPath[device.devpath] = interfaceNameOf(*kindOf(device), device);
}

std::optional<DeviceEvent> DeviceEventTranslator::translate(const ObservedDevice& device) {
    if (!watches(device)) return std::nullopt;
    const WatchedKind kind = *kindOf(device);

    if (device.action == "add") {
        std::string name = interfaceNameOf(kind, device);
        m_namesByDevPath[device.devpath] = name;
        return DeviceEvent{kDeviceArrival, kDeviceTypeInterface, std::move(name)};
    }
    if (device.action == "remove") {
        const auto remembered = m_namesByDevPath.find(device.devpath);
        if (remembered == m_namesByDevPath.end()) {
            return DeviceEvent{kDeviceRemoveComplete, kDeviceTypeInterface, interfaceNameOf(kind, device)};
        }
        DeviceEvent event{kDeviceRemoveComplete, kDeviceTypeInterface, std::move(remembered->second)};
        m_namesByDevPath.erase(remembered);
        return event;
    }
    return std::nullopt;
}

}  // namespace ib::platform
