// The optional 18-byte header of updater and firmware image files: present
// when the file has at least 10 bytes and bytes 8 and 9 read 01 00.
#pragma once

#include <cstdint>
#include <istream>

namespace ib {

inline constexpr std::uint32_t kImageHeaderSize = 18;

// Reads up to the first 18 bytes of a stream positioned at its start. The
// position afterwards is undefined; callers seek explicitly.
bool HasImageHeader(std::istream& file);

// Bytes of image after the header: with a header the file length minus 18
// (0 when shorter), else the whole length. 64-bit: a file of 4 GiB or more
// keeps its length.
std::uint64_t imageLength(std::uint64_t fileLength, bool hasHeader);

}  // namespace ib
