// MD5 as RFC 1321 defines it. See md5.h.
#include "tools/md5.h"

#include <algorithm>
#include <bit>

namespace ib::tools {
namespace {

constexpr std::array<std::uint32_t, 4> kInitialState{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};

// floor(abs(sin(i + 1)) * 2^32), the RFC's table T.
constexpr std::array<std::uint32_t, 64> kSineTable{
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

// Left rotations of each round, four per round, repeated over its sixteen steps.
constexpr std::array<int, 16> kRotations{7, 12, 17, 22, 5, 9, 14, 20, 4, 11, 16, 23, 6, 10, 15, 21};

constexpr std::size_t kBlockBytes = 64;
constexpr std::size_t kLengthFieldOffset = 56;

std::uint32_t littleEndianWord(std::span<const std::uint8_t> bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

}  // namespace

Md5::Md5() : m_state(kInitialState) {}

void Md5::update(std::span<const std::uint8_t> bytes) {
    m_messageBytes += bytes.size();
    if (m_pendingBytes > 0) {
        const std::size_t taken = std::min(bytes.size(), kBlockBytes - m_pendingBytes);
        std::copy_n(bytes.begin(), taken, m_pending.begin() + static_cast<std::ptrdiff_t>(m_pendingBytes));
        m_pendingBytes += taken;
        bytes = bytes.subspan(taken);
        if (m_pendingBytes < kBlockBytes) return;
        consumeBlock(m_pending);
        m_pendingBytes = 0;
    }
    for (; bytes.size() >= kBlockBytes; bytes = bytes.subspan(kBlockBytes)) {
        consumeBlock(bytes.first<kBlockBytes>());
    }
    std::copy(bytes.begin(), bytes.end(), m_pending.begin());
    m_pendingBytes = bytes.size();
}

Md5Digest Md5::finish() {
    const std::uint64_t messageBits = m_messageBytes * 8;
    // Padding: one 1 bit, zeros up to 56 bytes into a block, then the length in bits.
    std::array<std::uint8_t, kBlockBytes + 8> padding{};
    padding[0] = 0x80;
    const std::size_t padBytes = m_pendingBytes < kLengthFieldOffset
                                     ? kLengthFieldOffset - m_pendingBytes
                                     : kBlockBytes + kLengthFieldOffset - m_pendingBytes;
    std::array<std::uint8_t, 8> length{};
    for (std::size_t i = 0; i < length.size(); ++i) {
        length[i] = static_cast<std::uint8_t>(messageBits >> (8 * i));
    }
    update(std::span(padding).first(padBytes));
    update(length);

    Md5Digest digest{};
    for (std::size_t word = 0; word < m_state.size(); ++word) {
        for (std::size_t i = 0; i < 4; ++i) {
            digest[word * 4 + i] = static_cast<std::uint8_t>(m_state[word] >> (8 * i));
        }
    }
    *this = Md5();
    return digest;
}

void Md5::consumeBlock(std::span<const std::uint8_t, 64> block) {
    std::array<std::uint32_t, 16> words{};
    for (std::size_t i = 0; i < words.size(); ++i) words[i] = littleEndianWord(block.subspan(i * 4, 4));

    auto [a, b, c, d] = m_state;
    for (std::size_t step = 0; step < 64; ++step) {
        std::uint32_t mixed = 0;
        std::size_t wordIndex = 0;
        switch (step / 16) {
            case 0: mixed = (b & c) | (~b & d); wordIndex = step; break;
            case 1: mixed = (d & b) | (~d & c); wordIndex = (5 * step + 1) % 16; break;
            case 2: mixed = b ^ c ^ d; wordIndex = (3 * step + 5) % 16; break;
            default: mixed = c ^ (b | ~d); wordIndex = (7 * step) % 16; break;
        }
        const std::uint32_t sum = a + mixed + kSineTable[step] + words[wordIndex];
        a = d;
        d = c;
        c = b;
        b = b + std::rotl(sum, kRotations[(step / 16) * 4 + step % 4]);
    }
    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
}

std::string toHex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const std::uint8_t byte : bytes) {
        hex.push_back(kDigits[byte >> 4]);
        hex.push_back(kDigits[byte & 0x0F]);
    }
    return hex;
}

}  // namespace ib::tools
