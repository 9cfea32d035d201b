// Image header rule. See image_header.h.
#include "device/image_header.h"

namespace ib {

bool HasImageHeader(std::istream& file) {
    char head[kImageHeaderSize] = {};
    file.read(head, kImageHeaderSize);
    const auto got = file.gcount();
    file.clear();
    return got >= 10 && head[8] == 0x01 && head[9] == 0x00;
}

std::uint64_t imageLength(std::uint64_t fileLength, bool hasHeader) {
    if (!hasHeader) return fileLength;
    return fileLength < kImageHeaderSize ? 0 : fileLength - kImageHeaderSize;
}

}  // namespace ib
