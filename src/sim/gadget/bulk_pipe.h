// The pair of bulk endpoints a Bulk-Only Transport device talks through, as the
// transport needs them: FunctionFS endpoint files in the gadget, a scripted
// double in tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace ib::sim::gadget {

class BulkPipe {
public:
    virtual ~BulkPipe() = default;
    // One transfer from the host on bulk-out, at most `buffer.size()` bytes: the
    // number received (fewer when the host ended it with a short packet), or
    // nothing when the link went down or the wait was interrupted.
    virtual std::optional<std::size_t> receive(std::span<std::uint8_t> buffer) = 0;
    // All of `bytes` to the host on bulk-in; false when the link went down or
    // the wait was interrupted.
    virtual bool send(std::span<const std::uint8_t> bytes) = 0;
    // Stalls both endpoints; the host's reset recovery clears them.
    virtual void halt() = 0;
};

}  // namespace ib::sim::gadget
