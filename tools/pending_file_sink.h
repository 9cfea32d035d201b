// The FAT writer's sink on a PendingFile, a new file that starts empty: bytes are
// appended, and a run of zeros is skipped by moving the file offset, so it stays a hole
// that reads as zeros and takes no disk space.
#pragma once

#include <cstdint>
#include <span>

#include "tools/fat/image_sink.h"
#include "tools/pending_file.h"

namespace ib::tools {

class PendingFileSink final : public fat::ImageSink {
public:
    explicit PendingFileSink(PendingFile& file) : m_file(file) {}

    void write(std::span<const std::uint8_t> bytes) override;
    void skipZeros(std::uint64_t count) override;
    void overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes) override;
    // Gives the file its full length when the image ends in skipped zeros. Throws
    // ToolFailure when the file cannot be made that long.
    void finish();

private:
    PendingFile& m_file;
    std::uint64_t m_position = 0;
};

}  // namespace ib::tools
