// A 64-bit hash of a stream of bytes fed in pieces of any size, fast enough to run over
// every byte the FAT writer copies: eight bytes at a time in four independent lanes, one
// multiplication each, so they overlap. Not cryptographic: it tells changed content apart.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace ib::tools::fat {

class ByteStreamHash {
public:
    // Appends `bytes` to the stream; the result depends only on the bytes, not on how
    // they were cut into pieces.
    void add(std::span<const std::uint8_t> bytes);
    // The hash of every byte added so far.
    std::uint64_t value() const;

private:
    static constexpr std::size_t kLanes = 4;
    static constexpr std::size_t kBlockBytes = kLanes * 8;

    // Hashes the whole blocks at the start of `bytes`; returns the bytes after them.
    std::span<const std::uint8_t> addBlocks(std::span<const std::uint8_t> bytes);

    std::array<std::uint64_t, kLanes> m_lanes{0x9E3779B97F4A7C15u, 0xC2B2AE3D27D4EB4Fu, 0x165667B19E3779F9u,
                                              0x85EBCA77C2B2AE63u};
    std::array<std::uint8_t, kBlockBytes> m_partial{};  // bytes of the block not complete yet
    std::size_t m_partialBytes = 0;
    std::uint64_t m_totalBytes = 0;
};

}  // namespace ib::tools::fat
