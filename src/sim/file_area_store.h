// An area kept in a sparse image file (sector s at byte s × 512) so several
// processes see the same recorder. Only written bytes take disk space: erasing
// punches holes or truncates, and zeros are never written for whole areas.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "sim/area_store.h"
#include "sim/native_file.h"

namespace ib::sim {

class FileAreaStore final : public AreaStore {
public:
    // Opens or creates the image file. Null when it cannot, with the reason in `error`.
    static std::unique_ptr<FileAreaStore> open(const std::filesystem::path& path, std::string& error);
    ~FileAreaStore() override;
    FileAreaStore(const FileAreaStore&) = delete;
    FileAreaStore& operator=(const FileAreaStore&) = delete;

    bool read(std::uint64_t offset, std::span<std::uint8_t> out) override;
    bool write(std::uint64_t offset, std::span<const std::uint8_t> bytes) override;
    bool zero(std::uint64_t offset, std::uint64_t length) override;
    bool discardFrom(std::uint64_t offset) override;
    std::vector<ByteExtent> storedExtents() override;

private:
    explicit FileAreaStore(std::unique_ptr<NativeFile> file) : m_file(std::move(file)) {}
    bool writeZeros(std::uint64_t offset, std::uint64_t length);

    std::unique_ptr<NativeFile> m_file;
};

}  // namespace ib::sim
