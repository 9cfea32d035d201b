// The simulated recorder's USB device ids and strings. Product id and string
// change when it restarts into its updater, so the host sees another device
// arrive; the serial number stays, as in the in-process simulator's instance ID.
#pragma once

#include <cstdint>
#include <string>

#include "sim/recorder_model.h"

namespace ib::sim::gadget {

// The Linux Foundation's ids for gadgets: 0104 multifunction composite, 0105 FunctionFS.
inline constexpr std::uint16_t kGadgetVendorId = 0x1D6B;
inline constexpr std::uint16_t kBootRomProductId = 0x0104;
inline constexpr std::uint16_t kUpdaterProductId = 0x0105;
inline constexpr const char* kRecorderSerialNumber = "SIM0001";

struct UsbIdentity {
    std::uint16_t vendorId = kGadgetVendorId;
    std::uint16_t productId = kBootRomProductId;
    std::string manufacturer;
    std::string product;
    std::string serialNumber = kRecorderSerialNumber;
};

// The USB identity matching what the recorder reports to INQUIRY now, with its serial number.
UsbIdentity usbIdentityOf(const RecorderModel& recorder, const std::string& serialNumber);

}  // namespace ib::sim::gadget
