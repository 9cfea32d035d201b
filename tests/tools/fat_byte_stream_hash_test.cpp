// The hash behind the volume serial number: the same bytes give the same value however
// they arrive, and a change of any one byte gives another.
#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <vector>

#include "tools/fat/byte_stream_hash.h"

namespace ib::tools::fat {
namespace {

std::uint64_t hashInPieces(std::span<const std::uint8_t> bytes, std::size_t pieceBytes) {
    ByteStreamHash hash;
    for (; bytes.size() > pieceBytes; bytes = bytes.subspan(pieceBytes)) hash.add(bytes.first(pieceBytes));
    hash.add(bytes);
    return hash.value();
}

TEST(ByteStreamHash, DependsOnEveryByteAndNotOnThePieces) {
    std::vector<std::uint8_t> bytes(100);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
    const std::uint64_t whole = hashInPieces(bytes, bytes.size());
    for (const std::size_t piece : {1, 5, 31, 32, 33, 64}) EXPECT_EQ(hashInPieces(bytes, piece), whole) << piece;

    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::vector<std::uint8_t> changed = bytes;
        changed[i] ^= 0x01;
        EXPECT_NE(hashInPieces(changed, 33), whole) << "byte " << i;
    }
    EXPECT_NE(hashInPieces(std::span(bytes).first(99), 99), whole);
}

}  // namespace
}  // namespace ib::tools::fat
