// Recognising the recorder among the USB storage devices by its instance ID,
// and in the names of arrival and removal notifications.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "seams/usb_storage_enumeration.h"

namespace ib {

// In priority order: the boot ROM, the card reader, a card reader with an
// empty vendor field, one further vendor's storage product.
inline constexpr std::array<std::string_view, 4> kRecorderIds = {
    "VEN_QUB&PROD_USB_BOOT_ROM",
    "VEN_QUB&PROD_CARD_READER",
    "VEN_&PROD_CARD_READER",
    "VEN_TB715KWN&PROD_STORAGE",
};

// The 1-based index of the table entry found in the first present device that
// carries one (case-sensitive), or 0. An unreadable instance ID calls
// `onUnreadableId` and ends the search with 0.
int FindRecorder(UsbStorageEnumerator& devices, const std::function<void()>& onUnreadableId);

// The 0-based index of the first table entry contained in `name`, letter case
// ignored, or -1.
int MatchDeviceName(std::string_view name);

}  // namespace ib
