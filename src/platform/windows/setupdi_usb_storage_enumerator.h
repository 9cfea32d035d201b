// The present USB mass-storage devices on Windows: the "USBSTOR" enumerator
// through SetupDi, their instance IDs in UTF-8.
#pragma once

#include "seams/usb_storage_enumeration.h"

namespace ib::platform {

class SetupDiUsbStorageEnumerator final : public UsbStorageEnumerator {
public:
    UsbStorageList presentDevices() override;
};

}  // namespace ib::platform
