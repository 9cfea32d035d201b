// The device-interface class GUID of each class the program listens to, for
// RegisterDeviceNotificationW.
#pragma once

#include <windows.h>

#include "seams/usb_storage_enumeration.h"

namespace ib::platform {

GUID interfaceClassGuid(InterfaceClass cls);

}  // namespace ib::platform
