// An area in a sparse image file. See file_area_store.h.
#include "sim/file_area_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace ib::sim {
namespace {

constexpr std::uint64_t kZeroPieceBytes = 65536;

}  // namespace

std::unique_ptr<FileAreaStore> FileAreaStore::open(const std::filesystem::path& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "cannot open " + path.string() + ": " + std::strerror(errno);
        return nullptr;
    }
    return std::unique_ptr<FileAreaStore>(new FileAreaStore(fd));
}

FileAreaStore::~FileAreaStore() { ::close(m_fd); }

std::uint64_t FileAreaStore::fileSize() const {
    struct stat st {};
    return ::fstat(m_fd, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

bool FileAreaStore::read(std::uint64_t offset, std::span<std::uint8_t> out) {
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n =
            ::pread(m_fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;  // past the end of the file: never written
        done += static_cast<std::size_t>(n);
    }
    std::fill(out.begin() + done, out.end(), std::uint8_t{0});
    return true;
}

bool FileAreaStore::write(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::pwrite(m_fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
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
    const std::uint64_t size = fileSize();
    if (offset >= size || length == 0) return true;
    length = std::min(length, size - offset);
    if (::fallocate(m_fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, static_cast<off_t>(offset),
                    static_cast<off_t>(length)) == 0)
        return true;
    // File systems without hole punching: write the zeros, only over the stored range.
    return writeZeros(offset, length);
}

bool FileAreaStore::discardFrom(std::uint64_t offset) {
    if (offset >= fileSize()) return true;
    return ::ftruncate(m_fd, static_cast<off_t>(offset)) == 0;
}

std::vector<ByteExtent> FileAreaStore::storedExtents() {
    std::vector<ByteExtent> extents;
    const auto size = static_cast<off_t>(fileSize());
    off_t at = 0;
    while (at < size) {
        const off_t data = ::lseek(m_fd, at, SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO) break;                       // only a hole remains
            return {{0, static_cast<std::uint64_t>(size)}};  // no hole support: all of it may hold data
        }
        off_t hole = ::lseek(m_fd, data, SEEK_HOLE);
        if (hole < 0) hole = size;
        extents.push_back({static_cast<std::uint64_t>(data), static_cast<std::uint64_t>(hole - data)});
        at = hole;
    }
    return extents;
}

}  // namespace ib::sim
