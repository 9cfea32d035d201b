// An area in a sparse image file. See file_area_store.h.
#include "sim/file_area_store.h"

#include <algorithm>

namespace ib::sim {
namespace {

constexpr std::uint64_t kZeroPieceBytes = 65536;

}  // namespace

std::unique_ptr<FileAreaStore> FileAreaStore::open(const std::filesystem::path& path, std::string& error) {
    auto file = NativeFile::open(path, NativeFile::Mode::Sparse, error);
    if (!file) return nullptr;
    return std::unique_ptr<FileAreaStore>(new FileAreaStore(std::move(file)));
}

FileAreaStore::~FileAreaStore() = default;

bool FileAreaStore::read(std::uint64_t offset, std::span<std::uint8_t> out) {
    std::size_t got = 0;
    if (!m_file->readAt(offset, out, got)) return false;
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(got), out.end(), std::uint8_t{0});  // never written
    return true;
}

bool FileAreaStore::write(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    return m_file->writeAt(offset, bytes);
}

bool FileAreaStore::writeZeros(std::uint64_t offset, std::uint64_t length) {
    const std::vector<std::uint8_t> zeros(std::min(length, kZeroPieceBytes), 0);
    for (std::uint64_t done = 0; done < length;) {
        const std::uint64_t piece = std::min<std::uint64_t>(length - done, zeros.size());
        if (!write(offset + done, std::span(zeros).first(piece))) return false;
        done += piece;
    }
    return true;
}

bool FileAreaStore::zero(std::uint64_t offset, std::uint64_t length) {
    // Bytes past the end of the file already read 0.
    const std::uint64_t size = m_file->size();
    if (offset >= size || length == 0) return true;
    length = std::min(length, size - offset);
    if (m_file->punchHole(offset, length)) return true;
    // File systems without hole punching: write the zeros, only over the stored range.
    return writeZeros(offset, length);
}

bool FileAreaStore::discardFrom(std::uint64_t offset) {
    if (offset >= m_file->size()) return true;
    return m_file->truncate(offset);
}

std::vector<ByteExtent> FileAreaStore::storedExtents() {
    const std::uint64_t size = m_file->size();
    if (size == 0) return {};
    // Without hole support, all of the file may hold data.
    return m_file->dataExtents().value_or(std::vector<ByteExtent>{{0, size}});
}

}  // namespace ib::sim
