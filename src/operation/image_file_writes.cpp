// Positioned image-file writes. See image_file_writes.h.
#include "operation/image_file_writes.h"

#include <algorithm>
#include <vector>

namespace ib {

bool writeAt(std::fstream& image, std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    image.seekp(static_cast<std::streamoff>(offset));
    image.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(image);
}

bool fillWithFF(std::fstream& image, std::uint64_t from, std::uint64_t to) {
    const std::vector<std::uint8_t> ff(65536, 0xFF);
    for (std::uint64_t at = from; at < to;) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(ff.size(), to - at));
        if (!writeAt(image, at, std::span(ff).first(n))) return false;
        at += n;
    }
    return true;
}

}  // namespace ib
