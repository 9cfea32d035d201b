// Where the FAT writer puts a volume image: bytes in order, from the first to the last,
// never back. A run of zero bytes may be skipped rather than written, so a sink on a new
// file can leave free space sparse and the writer never holds more than a chunk.
#pragma once

#include <cstdint>
#include <span>

namespace ib::tools::fat {

class ImageSink {
public:
    virtual ~ImageSink() = default;
    // Appends `bytes`. Throws ToolFailure when they cannot be stored (a full disk).
    virtual void write(std::span<const std::uint8_t> bytes) = 0;
    // Appends `count` zero bytes; a sink whose unwritten bytes read as zero just moves on.
    // Throws ToolFailure when the image cannot grow that far.
    virtual void skipZeros(std::uint64_t count) = 0;
};

}  // namespace ib::tools::fat
