// The intermediate image through a POSIX file descriptor. See source_file.h.
#include "tools/source_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "tools/posix_permissions.h"
#include "tools/tool_failure.h"

namespace ib::tools {
namespace {

struct stat examined(int fd) {
    struct stat info {};
    fstat(fd, &info);
    return info;
}

}  // namespace

SourceFile::SourceFile(const std::filesystem::path& path) : m_path(std::filesystem::absolute(path)) {
    m_handle = open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_handle < 0) throw ToolFailure(withSystemError("cannot open " + quoted(path), errno));
    struct stat info {};
    const bool isExamined = fstat(m_handle, &info) == 0;
    const int examineError = errno;
    if (!isExamined || S_ISDIR(info.st_mode)) {
        close(m_handle);
        throw ToolFailure(isExamined ? quoted(path) + " is a folder, not an image file"
                                     : withSystemError("cannot examine " + quoted(path), examineError));
    }
    m_size = static_cast<std::uint64_t>(info.st_size);
    posix_fadvise(m_handle, 0, 0, POSIX_FADV_SEQUENTIAL);
}

SourceFile::~SourceFile() { close(m_handle); }

std::size_t SourceFile::readAt(std::uint64_t offset, std::span<std::uint8_t> bytes) const {
    for (;;) {
        const ssize_t got = pread(m_handle, bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) throw ToolFailure(withSystemError("reading " + quoted(m_path) + " failed", errno));
    }
}

// A new file's permissions come from the umask alone, wherever it is made.
bool SourceFile::linkGivesACopy(const std::filesystem::path& /*output*/) const {
    const struct stat info = examined(m_handle);
    return S_ISREG(info.st_mode) && info.st_nlink == 1 && info.st_uid == geteuid() &&
           (info.st_mode & 07777) == permissionsOfANewFile() &&
           access(m_path.parent_path().c_str(), W_OK) == 0;
}

bool SourceFile::isTheSameFileAs(const std::filesystem::path& other) const {
    const struct stat mine = examined(m_handle);
    struct stat theirs {};
    return stat(other.c_str(), &theirs) == 0 && theirs.st_dev == mine.st_dev && theirs.st_ino == mine.st_ino;
}

}  // namespace ib::tools
