// SG_IO gets page-aligned data areas, and the caller sees its own buffer as if
// the device had used it directly.
#include <gtest/gtest.h>

#include <vector>

#include "platform/linux/page_aligned_transfer.h"

namespace ib::platform {
namespace {

bool onPage(const std::uint8_t* p) { return reinterpret_cast<std::uintptr_t>(p) % PageAlignedTransfer::pageSize() == 0; }

TEST(PageAlignedTransfer, AnUnalignedBufferGoesThroughAPageAlignedCopy) {
    std::vector<std::uint8_t> storage(3 * PageAlignedTransfer::pageSize(), 0x33);
    std::uint8_t* firstPage = storage.data();
    while (!onPage(firstPage)) ++firstPage;
    PageAlignedTransfer transfer;
    EXPECT_EQ(transfer.stage({firstPage, 512}).data(), firstPage);  // aligned: used as it is

    const std::span<std::uint8_t> unaligned(firstPage + 1, 600);
    const std::span<std::uint8_t> staged = transfer.stage(unaligned);
    EXPECT_TRUE(onPage(staged.data()));
    EXPECT_EQ(std::vector(staged.begin(), staged.end()), std::vector(unaligned.begin(), unaligned.end()));
    // Data in: what the device wrote comes back; bytes it left alone keep the caller's.
    staged[0] = 0xAA;
    transfer.finish(unaligned, DataDirection::In);
    EXPECT_EQ(unaligned[0], 0xAA);
    EXPECT_EQ(unaligned[599], 0x33);
}

}  // namespace
}  // namespace ib::platform
