// Where a volume's USB disk is plugged in, as the system's location path of
// the USB device ("PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)"): the one name of a
// recorder that stays the same while its updater restarts it, when its
// product string and even its drive letter change.
#pragma once

#include <optional>
#include <string>

namespace ib::platform {

// The location path of the USB device behind the open volume `volume` (a
// HANDLE); nullopt when the system does not say.
std::optional<std::string> usbPortLocation(void* volume);

// The location path of the first device above the device node `node` (a
// DEVINST: a USBSTOR disk's node, whose parent is its USB device) that has one.
std::optional<std::string> usbPortLocationAbove(unsigned long node);

}  // namespace ib::platform
