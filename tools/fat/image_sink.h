// Where the FAT writer puts a volume image: bytes in order, from the first to the last.
// A run of zero bytes may be skipped rather than written, so a sink on a new file can
// leave free space sparse and the writer never holds more than a chunk. The one step
// back: the boot sectors are written again at the end, once the serial number derived
// from every file's bytes is known.
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
    // Writes `bytes` over bytes appended before, at `offset` from the start, and goes on
    // appending where it was. Throws ToolFailure when they cannot be stored.
    virtual void overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes) = 0;
};

}  // namespace ib::tools::fat
