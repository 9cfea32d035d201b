// The MD5 of the system's cryptographic library, whichever the build chose, gives the
// digests RFC 1321 defines, also when the message arrives in pieces.
#include <gtest/gtest.h>

#include <string_view>
#include <utility>
#include <vector>

#include "tools/md5.h"

namespace ib::tools {
namespace {

std::span<const std::uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(Md5, DigestsMatchTheRfc1321TestSuiteWholeAndInPieces) {
    const std::vector<std::pair<std::string_view, std::string_view>> vectors{
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    // One object for all: finish() must start the next digest afresh.
    Md5 md5;
    for (const auto& [message, digest] : vectors) {
        md5.update(bytesOf(message));
        EXPECT_EQ(toHex(md5.finish()), digest) << '"' << message << '"';
        const std::size_t half = message.size() / 2;
        md5.update(bytesOf(message.substr(0, half)));
        md5.update(bytesOf(message.substr(half)));
        EXPECT_EQ(toHex(md5.finish()), digest) << '"' << message << "\" in two pieces";
    }
}

}  // namespace
}  // namespace ib::tools
