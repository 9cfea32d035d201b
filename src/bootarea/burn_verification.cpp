// Sector digests for burn verification. See burn_verification.h.
#include "bootarea/burn_verification.h"

#include "device/sector.h"

namespace ib {

std::uint64_t sectorDigest(std::span<const std::uint8_t> sector) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (std::uint8_t b : sector) {
        hash ^= b;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

void WrittenImage::record(std::span<const std::uint8_t> sectors) {
    for (std::size_t at = 0; at + kSectorSize <= sectors.size(); at += kSectorSize)
        digests.push_back(sectorDigest(sectors.subspan(at, kSectorSize)));
}

}  // namespace ib
