// MD5 message digest (RFC 1321), fed in pieces so that a file of any size is hashed while
// it is copied. Used by mergeimg for the checksum file beside the finished SD image.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace ib::tools {

using Md5Digest = std::array<std::uint8_t, 16>;

class Md5 {
public:
    Md5();
    // Adds the next bytes of the message.
    void update(std::span<const std::uint8_t> bytes);
    // The digest of everything added so far; the object then starts over.
    Md5Digest finish();

private:
    void consumeBlock(std::span<const std::uint8_t, 64> block);

    std::array<std::uint32_t, 4> m_state{};
    std::array<std::uint8_t, 64> m_pending{};
    std::size_t m_pendingBytes = 0;
    std::uint64_t m_messageBytes = 0;
};

// Lower-case hexadecimal, two digits per byte, as md5sum prints digests.
std::string toHex(std::span<const std::uint8_t> bytes);

}  // namespace ib::tools
