// Turns observed uevents into the arrival and removal events of the
// registered interface classes. Remembers each device's interface name while
// it is present, because on "remove" its sysfs attributes are already gone.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/linux/device_interface_naming.h"
#include "seams/usb_storage_enumeration.h"

namespace ib::platform {

class DeviceEventTranslator {
public:
    void enable(InterfaceClass cls);
    const std::set<InterfaceClass>& enabledClasses() const { return m_enabled; }
    // Whether the device belongs to an enabled class.
    bool watches(const ObservedDevice& device) const;
    // Notes a device present before monitoring began, so its removal is named
    // as it was while present.
    void rememberPresent(const ObservedDevice& device);
    // The event for an "add" or "remove" of a watched device; nullopt for
    // other actions and other devices.
    std::optional<DeviceEvent> translate(const ObservedDevice& device);

private:
    std::set<InterfaceClass> m_enabled;
    std::map<std::string, std::string> m_namesByDevPath;
};

}  // namespace ib::platform
