// SG_IO gets page-aligned data areas, and the caller sees its own buffer as if
// the device had used it directly.
#include <gtest/gtest.h>

#include <vector>

#include "platform/linux/page_aligned_transfer.h"

namespace ib::platform {
namespace {

bool onPage(const std::uint8_t* p) { return reinterpret_cast<std::uintptr_t>(p) % PageAlignedTransfer::pageSize() == 0; }

TEST(PageAlignedTransfer, AnUnalignedBufferGoesThroughAPageAlignedCopy) {
    const std::size_t page = PageAlignedTransfer::pageSize();
    std::vector<std::uint8_t> storage(4 * page, 0x33);
    std::uint8_t* firstPage = storage.data();
    while (!onPage(firstPage)) ++firstPage;
    PageAlignedTransfer transfer;

    const std::span<std::uint8_t> aligned(firstPage, 2 * page);
    EXPECT_EQ(transfer.stage(aligned).data(), aligned.data());  // used as it is

    const std::span<std::uint8_t> unaligned(firstPage + 1, 600);
    std::fill(unaligned.begin(), unaligned.end(), std::uint8_t{0x33});
    const std::span<std::uint8_t> out = transfer.stage(unaligned);
    EXPECT_TRUE(onPage(out.data()));
    EXPECT_EQ(std::vector(out.begin(), out.end()), std::vector(unaligned.begin(), unaligned.end()));

    // Data in: what the device wrote comes back; bytes it left alone keep the caller's.
    const std::span<std::uint8_t> in = transfer.stage(unaligned);
    in[0] = 0xAA, in[1] = 0x55;
    transfer.finish(unaligned, DataDirection::In);
    EXPECT_EQ(unaligned[0], 0xAA);
    EXPECT_EQ(unaligned[1], 0x55);
    EXPECT_EQ(unaligned[599], 0x33);

    // Data out never writes back into the caller's buffer.
    transfer.stage(unaligned)[0] = 0x00;
    transfer.finish(unaligned, DataDirection::Out);
    EXPECT_EQ(unaligned[0], 0xAA);
}

}  // namespace
}  // namespace ib::platform
