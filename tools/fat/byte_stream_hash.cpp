// Four-lane multiply-rotate hashing. See byte_stream_hash.h.
#include "tools/fat/byte_stream_hash.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace ib::tools::fat {
namespace {

// Odd, with well-spread bits: multiplying by it is a one-to-one mixing step.
constexpr std::uint64_t kMultiplier = 0x9E3779B185EBCA87u;

// The words are read in the machine's order, which is little-endian on every platform the
// tools are built for, so an image gets the same serial wherever it is packed.
static_assert(std::endian::native == std::endian::little);

std::uint64_t word64(const std::uint8_t* bytes) {
    std::uint64_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// One-to-one in `lane` for each `word`, and in `word` for each `lane`: a lane never
// forgets a difference it has taken in.
std::uint64_t mixIn(std::uint64_t lane, std::uint64_t word) {
    return std::rotl((lane ^ word) * kMultiplier, 31);
}

// Spreads every input bit over every output bit.
std::uint64_t avalanche(std::uint64_t value) {
    value = (value ^ (value >> 33)) * 0xFF51AFD7ED558CCDu;
    value = (value ^ (value >> 33)) * 0xC4CEB9FE1A85EC53u;
    return value ^ (value >> 33);
}

}  // namespace

std::span<const std::uint8_t> ByteStreamHash::addBlocks(std::span<const std::uint8_t> bytes) {
    // Local lanes stay in registers: stores to the members could alias the bytes read.
    std::array<std::uint64_t, kLanes> lanes = m_lanes;
    for (; bytes.size() >= kBlockBytes; bytes = bytes.subspan(kBlockBytes)) {
        for (std::size_t lane = 0; lane < kLanes; ++lane) lanes[lane] = mixIn(lanes[lane], word64(&bytes[lane * 8]));
    }
    m_lanes = lanes;
    return bytes;
}

void ByteStreamHash::add(std::span<const std::uint8_t> bytes) {
    m_totalBytes += bytes.size();
    if (m_partialBytes > 0) {
        const std::size_t taken = std::min(bytes.size(), kBlockBytes - m_partialBytes);
        std::copy_n(bytes.begin(), taken, m_partial.begin() + static_cast<std::ptrdiff_t>(m_partialBytes));
        m_partialBytes += taken;
        bytes = bytes.subspan(taken);
        if (m_partialBytes < kBlockBytes) return;
        addBlocks(m_partial);
        m_partialBytes = 0;
    }
    bytes = addBlocks(bytes);
    std::copy(bytes.begin(), bytes.end(), m_partial.begin());
    m_partialBytes = bytes.size();
}

std::uint64_t ByteStreamHash::value() const {
    std::uint64_t result = m_totalBytes * kMultiplier;
    for (const std::uint64_t lane : m_lanes) result = mixIn(result, lane);
    for (std::size_t i = 0; i < m_partialBytes; ++i) result = (result ^ m_partial[i]) * kMultiplier;
    return avalanche(result);
}

}  // namespace ib::tools::fat
