// The gadget's function as FunctionFS shows it: ep0 for descriptors, events and
// control requests, ep1 (bulk-in) and ep2 (bulk-out) for the transport. Opening
// writes the descriptors and strings; the gadget can be bound after that.
//
//   auto device = FunctionFsDevice::open("/dev/ffs-recorder", error);
//   std::thread control([&] { device->serveControl(link, interruptBulk); });
//   BulkOnlyTransport transport(*device, model, link);
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "sim/gadget/bulk_pipe.h"
#include "sim/gadget/link_state.h"

namespace ib::sim::gadget {

// Class requests of Bulk-Only Transport on the control endpoint.
inline constexpr std::uint8_t kGetMaxLunRequest = 0xFE;
inline constexpr std::uint8_t kMassStorageResetRequest = 0xFF;

class FunctionFsDevice final : public BulkPipe {
public:
    // Null with the reason in `error` when the endpoint files cannot be opened
    // or FunctionFS refuses the descriptors.
    static std::unique_ptr<FunctionFsDevice> open(const std::filesystem::path& mountPoint,
                                                  std::string& error);
    ~FunctionFsDevice() override;
    FunctionFsDevice(const FunctionFsDevice&) = delete;
    FunctionFsDevice& operator=(const FunctionFsDevice&) = delete;

    std::optional<std::size_t> receive(std::span<std::uint8_t> buffer) override;
    bool send(std::span<const std::uint8_t> bytes) override;
    void halt() override;

    // Reads ep0 events until the link is stopped (interrupt the calling thread
    // to make it look): a disable or unbind resets the link; Get Max LUN is
    // answered 0; the mass-storage reset resets the link and calls
    // `interruptBulk` so a bulk transfer under way is given up; any other
    // request is stalled.
    void serveControl(LinkState& link, const std::function<void()>& interruptBulk);

private:
    FunctionFsDevice() = default;

    int m_ep0 = -1;
    int m_bulkIn = -1;
    int m_bulkOut = -1;
};

}  // namespace ib::sim::gadget
