// The simulated recorder's USB identity. See usb_identity.h.
#include "sim/gadget/usb_identity.h"

namespace ib::sim::gadget {

UsbIdentity usbIdentityOf(const RecorderModel& recorder, const std::string& serialNumber) {
    const InquiryIdentity inquiry = recorder.identity();
    UsbIdentity identity;
    identity.productId =
        recorder.state().mode == RecorderMode::BootRom ? kBootRomProductId : kUpdaterProductId;
    identity.manufacturer = inquiry.vendor;
    identity.product = inquiry.product;
    identity.serialNumber = serialNumber;
    return identity;
}

}  // namespace ib::sim::gadget
