// The data area an SG_IO request is given. The kernel moves data straight
// between the device and a user buffer only when the buffer meets the
// adapter's DMA alignment, which is never stricter than a page; a buffer that
// does not gets copied through the kernel's own. Callers' buffers come from
// anywhere, so a transfer that is not page-aligned already goes through a
// page-aligned area of the handle's: the caller's bytes are copied in before
// the command and, for data in, back after it, so the caller sees its buffer
// exactly as if the device had written it (bytes the device left alone keep
// what the caller put there).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

#include "seams/pass_through.h"

namespace ib::platform {

class PageAlignedTransfer {
public:
    // The buffer to give the pass-through for `data`: `data` itself when it
    // starts on a page, else the area, holding a copy of `data`.
    std::span<std::uint8_t> stage(std::span<std::uint8_t> data);
    // After the command: data in goes back to `data` when it was staged.
    void finish(std::span<std::uint8_t> data, DataDirection direction) const;

    static std::size_t pageSize();

private:
    struct FreeArea {
        void operator()(std::uint8_t* area) const { std::free(area); }
    };
    std::unique_ptr<std::uint8_t, FreeArea> m_area;
    std::size_t m_capacity = 0;
};

}  // namespace ib::platform
