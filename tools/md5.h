// MD5 message digest (RFC 1321), fed in pieces so that a file of any size is hashed in
// one pass with a fixed buffer. Used by mergeimg for the checksum file beside the
// finished SD image. The digest comes from the system's cryptographic library (chosen
// by the build: libcrypto on Linux), whose hand-tuned code keeps pace with md5sum.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace ib::tools {

using Md5Digest = std::array<std::uint8_t, 16>;

class Md5 {
public:
    // Throws ToolFailure when the library cannot provide MD5.
    Md5();
    ~Md5();
    Md5(const Md5&) = delete;
    Md5& operator=(const Md5&) = delete;

    // Adds the next bytes of the message.
    void update(std::span<const std::uint8_t> bytes);
    // The digest of everything added so far; the object then starts over.
    Md5Digest finish();

private:
    struct Context;
    std::unique_ptr<Context> m_context;
};

// Lower-case hexadecimal, two digits per byte, as md5sum prints digests.
std::string toHex(std::span<const std::uint8_t> bytes);

}  // namespace ib::tools
