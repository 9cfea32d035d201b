// Reading a burn back: a digest of every sector as it was written, compared
// with the sectors the recorder returns, so that a burn can be verified
// without reading its input files a second time.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace ib {

// FNV-1a over one sector's bytes.
std::uint64_t sectorDigest(std::span<const std::uint8_t> sector);

// Digests of the sectors written for one image, first sector first.
struct WrittenImage {
    std::uint32_t firstSector = 0;
    std::vector<std::uint64_t> digests;
    void record(std::span<const std::uint8_t> sectors);  // whole sectors
};

}  // namespace ib
