// State-folder files through POSIX calls. See native_file.h.
#include "sim/native_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ib::sim {

std::unique_ptr<NativeFile> NativeFile::open(const std::filesystem::path& path, Mode mode, std::string& error) {
    const int flags = O_CREAT | O_CLOEXEC | (mode == Mode::Append ? O_WRONLY | O_APPEND : O_RDWR);
    const int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) {
        error = "cannot open " + path.string() + ": " + lastError();
        return nullptr;
    }
    return std::unique_ptr<NativeFile>(new NativeFile(fd));
}

NativeFile::~NativeFile() { ::close(static_cast<int>(m_handle)); }

std::string NativeFile::lastError() { return std::strerror(errno); }

bool NativeFile::readAt(std::uint64_t offset, std::span<std::uint8_t> out, std::size_t& got) {
    got = 0;
    while (got < out.size()) {
        const ssize_t n = ::pread(static_cast<int>(m_handle), out.data() + got, out.size() - got,
                                  static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

bool NativeFile::writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(static_cast<int>(m_handle), bytes.data() + done, bytes.size() - done,
                                   static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool NativeFile::append(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(static_cast<int>(m_handle), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::uint64_t NativeFile::size() const {
    struct stat st {};
    return ::fstat(static_cast<int>(m_handle), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

bool NativeFile::truncate(std::uint64_t length) {
    return ::ftruncate(static_cast<int>(m_handle), static_cast<off_t>(length)) == 0;
}

bool NativeFile::punchHole(std::uint64_t offset, std::uint64_t length) {
    return ::fallocate(static_cast<int>(m_handle), FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE,
                       static_cast<off_t>(offset), static_cast<off_t>(length)) == 0;
}

std::optional<std::vector<ByteExtent>> NativeFile::dataExtents() {
    const int fd = static_cast<int>(m_handle);
    std::vector<ByteExtent> extents;
    const auto end = static_cast<off_t>(size());
    off_t at = 0;
    while (at < end) {
        const off_t data = ::lseek(fd, at, SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO) break;  // only a hole remains
            return std::nullopt;        // no hole support
        }
        off_t hole = ::lseek(fd, data, SEEK_HOLE);
        if (hole < 0) hole = end;
        extents.push_back({static_cast<std::uint64_t>(data), static_cast<std::uint64_t>(hole - data)});
        at = hole;
    }
    return extents;
}

}  // namespace ib::sim
