// Page-aligned data areas for SG_IO. See page_aligned_transfer.h.
#include "platform/linux/page_aligned_transfer.h"

#include <unistd.h>

#include <algorithm>
#include <new>

namespace ib::platform {

std::size_t PageAlignedTransfer::pageSize() {
    static const std::size_t size = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    return size;
}

namespace {

bool startsOnPage(std::span<const std::uint8_t> data) {
    return reinterpret_cast<std::uintptr_t>(data.data()) % PageAlignedTransfer::pageSize() == 0;
}

}  // namespace

std::span<std::uint8_t> PageAlignedTransfer::stage(std::span<std::uint8_t> data) {
    const std::size_t page = pageSize();
    if (data.empty() || startsOnPage(data)) return data;
    if (m_capacity < data.size()) {
        const std::size_t capacity = (data.size() + page - 1) / page * page;
        m_capacity = 0;
        m_area.reset(static_cast<std::uint8_t*>(std::aligned_alloc(page, capacity)));
        if (!m_area) throw std::bad_alloc();
        m_capacity = capacity;
    }
    const std::span<std::uint8_t> area(m_area.get(), data.size());
    std::copy(data.begin(), data.end(), area.begin());
    return area;
}

void PageAlignedTransfer::finish(std::span<std::uint8_t> data, DataDirection direction) const {
    if (direction != DataDirection::In || data.empty() || startsOnPage(data)) return;
    std::copy_n(m_area.get(), data.size(), data.begin());
}

}  // namespace ib::platform
