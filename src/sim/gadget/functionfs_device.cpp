// FunctionFS endpoint files of the gadget. See functionfs_device.h.
#include "sim/gadget/functionfs_device.h"

#include <fcntl.h>
#include <linux/usb/ch9.h>
#include <linux/usb/functionfs.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <iostream>

#include "sim/gadget/functionfs_descriptors.h"

namespace ib::sim::gadget {
namespace {

bool writeAll(int descriptor, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(descriptor, bytes.data(), bytes.size());
        if (n <= 0) return false;
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

std::string failure(const std::string& what, const std::filesystem::path& path) {
    return what + " " + path.string() + ": " + std::strerror(errno);
}

bool isClassRequestToInterface(const usb_ctrlrequest& r) {
    return (r.bRequestType & (USB_TYPE_MASK | USB_RECIP_MASK)) == (USB_TYPE_CLASS | USB_RECIP_INTERFACE);
}

// Stalls the request: FunctionFS stalls ep0 on I/O against the request's direction.
void stall(int ep0, const usb_ctrlrequest& r) {
    std::uint8_t unused = 0;
    if ((r.bRequestType & USB_DIR_IN) != 0) {
        (void)::read(ep0, &unused, 0);
    } else {
        (void)::write(ep0, &unused, 0);
    }
}

void answerSetup(int ep0, const usb_ctrlrequest& r, LinkState& link,
                 const std::function<void()>& interruptBulk) {
    const bool toDevice = (r.bRequestType & USB_DIR_IN) == 0;
    if (isClassRequestToInterface(r) && r.bRequest == kGetMaxLunRequest && !toDevice && r.wValue == 0 &&
        r.wLength >= 1) {
        const std::uint8_t maxLun = 0;  // one logical unit
        (void)::write(ep0, &maxLun, 1);
        return;
    }
    if (isClassRequestToInterface(r) && r.bRequest == kMassStorageResetRequest && toDevice && r.wValue == 0 &&
        r.wLength == 0) {
        // The host gives up the command under way; the next thing it sends is a CBW.
        link.reset();
        interruptBulk();
        std::uint8_t unused = 0;
        (void)::read(ep0, &unused, 0);  // acknowledges the status stage
        return;
    }
    stall(ep0, r);
}

}  // namespace

std::unique_ptr<FunctionFsDevice> FunctionFsDevice::open(const std::filesystem::path& mountPoint,
                                                         std::string& error) {
    std::unique_ptr<FunctionFsDevice> device(new FunctionFsDevice);
    const auto ep0Path = mountPoint / "ep0";
    device->m_ep0 = ::open(ep0Path.c_str(), O_RDWR | O_CLOEXEC);
    if (device->m_ep0 < 0) {
        error = failure("cannot open", ep0Path);
        return nullptr;
    }
    if (!writeAll(device->m_ep0, functionFsDescriptors()) || !writeAll(device->m_ep0, functionFsStrings())) {
        error = failure("FunctionFS refused the descriptors on", ep0Path);
        return nullptr;
    }
    // The endpoint files appear once the descriptors are taken.
    const auto inPath = mountPoint / kBulkInEndpointFile;
    const auto outPath = mountPoint / kBulkOutEndpointFile;
    device->m_bulkIn = ::open(inPath.c_str(), O_RDWR | O_CLOEXEC);
    if (device->m_bulkIn < 0) {
        error = failure("cannot open", inPath);
        return nullptr;
    }
    device->m_bulkOut = ::open(outPath.c_str(), O_RDWR | O_CLOEXEC);
    if (device->m_bulkOut < 0) {
        error = failure("cannot open", outPath);
        return nullptr;
    }
    return device;
}

FunctionFsDevice::~FunctionFsDevice() {
    for (const int descriptor : {m_bulkOut, m_bulkIn, m_ep0}) {
        if (descriptor >= 0) ::close(descriptor);
    }
}

std::optional<std::size_t> FunctionFsDevice::receive(std::span<std::uint8_t> buffer) {
    const ssize_t n = ::read(m_bulkOut, buffer.data(), buffer.size());
    if (n < 0) return std::nullopt;
    return static_cast<std::size_t>(n);
}

bool FunctionFsDevice::send(std::span<const std::uint8_t> bytes) { return writeAll(m_bulkIn, bytes); }

void FunctionFsDevice::halt() {
    // I/O against an endpoint's direction makes FunctionFS halt it.
    std::uint8_t unused = 0;
    (void)::read(m_bulkIn, &unused, 1);
    (void)::write(m_bulkOut, &unused, 1);
}

void FunctionFsDevice::serveControl(LinkState& link, const std::function<void()>& interruptBulk) {
    std::array<usb_functionfs_event, 4> events{};
    while (!link.stopping()) {
        const ssize_t n = ::read(m_ep0, events.data(), sizeof events);
        if (n < 0) {
            if (errno == EINTR) continue;
            std::cerr << "gadget: reading ep0 failed: " << std::strerror(errno) << '\n';
            usleep(10'000);  // no busy loop on a lasting error
            continue;
        }
        for (std::size_t i = 0; i < static_cast<std::size_t>(n) / sizeof(usb_functionfs_event); ++i) {
            switch (events[i].type) {
            case FUNCTIONFS_DISABLE:
            case FUNCTIONFS_UNBIND: link.reset(); break;
            case FUNCTIONFS_SETUP: answerSetup(m_ep0, events[i].u.setup, link, interruptBulk); break;
            default: break;
            }
        }
    }
}

}  // namespace ib::sim::gadget
