// Four-lane multiply-rotate hashing. See byte_stream_hash.h.
#include "tools/fat/byte_stream_hash.h"

#include <algorithm>
#include <bit>

namespace ib::tools::fat {
namespace {

// Odd 64-bit constants with well-spread bits.
constexpr std::uint64_t kMultiplier = 0x9E3779B185EBCA87u;
constexpr std::uint64_t kInputMultiplier = 0xC2B2AE3D27D4EB4Fu;

std::uint64_t littleEndian64(std::span<const std::uint8_t, 8> bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = 8; i-- > 0;) value = value << 8 | bytes[i];
    return value;
}

std::uint64_t mixIn(std::uint64_t lane, std::uint64_t word) {
    return std::rotl(lane + word * kInputMultiplier, 31) * kMultiplier;
}

// Spreads every input bit over every output bit.
std::uint64_t avalanche(std::uint64_t value) {
    value = (value ^ (value >> 33)) * 0xFF51AFD7ED558CCDu;
    value = (value ^ (value >> 33)) * 0xC4CEB9FE1A85EC53u;
    return value ^ (value >> 33);
}

}  // namespace

void ByteStreamHash::addBlock(std::span<const std::uint8_t, kBlockBytes> block) {
    for (std::size_t lane = 0; lane < kLanes; ++lane) {
        m_lanes[lane] = mixIn(m_lanes[lane], littleEndian64(block.subspan(lane * 8).first<8>()));
    }
}

void ByteStreamHash::add(std::span<const std::uint8_t> bytes) {
    m_totalBytes += bytes.size();
    if (m_partialBytes > 0) {
        const std::size_t taken = std::min(bytes.size(), kBlockBytes - m_partialBytes);
        std::copy_n(bytes.begin(), taken, m_partial.begin() + static_cast<std::ptrdiff_t>(m_partialBytes));
        m_partialBytes += taken;
        bytes = bytes.subspan(taken);
        if (m_partialBytes < kBlockBytes) return;
        addBlock(m_partial);
        m_partialBytes = 0;
    }
    for (; bytes.size() >= kBlockBytes; bytes = bytes.subspan(kBlockBytes)) addBlock(bytes.first<kBlockBytes>());
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
