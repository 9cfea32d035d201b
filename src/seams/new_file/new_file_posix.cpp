// Exclusive creation on POSIX systems: O_CREAT | O_EXCL, which also refuses a
// symbolic link of that name; O_CLOEXEC keeps the file from helper tools. See
// new_file.h.
#include "seams/new_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace ib {
namespace {

int createExclusively(const std::filesystem::path& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

// The rename is an entry of the folder: it lasts once the folder is synced.
void syncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

}  // namespace

bool createNewFile(const std::filesystem::path& path) {
    const int descriptor = createExclusively(path);
    if (descriptor < 0) return false;
    return ::close(descriptor) == 0;
}

bool NewFileWriter::create(const std::filesystem::path& path) {
    m_handle = createExclusively(path);
    m_open = m_handle >= 0;
    return m_open;
}

NewFileWriter::~NewFileWriter() { (void)close(); }

bool NewFileWriter::writeAll(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(static_cast<int>(m_handle), bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
}

bool NewFileWriter::flushToDisk() {
    int result = 0;
    do result = ::fsync(static_cast<int>(m_handle));
    while (result != 0 && errno == EINTR);
    return result == 0;
}

bool NewFileWriter::close() {
    if (!m_open) return true;
    m_open = false;
    // Linux closes the descriptor even when close reports EINTR: never retried.
    return ::close(static_cast<int>(m_handle)) == 0;
}

bool renameDurably(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0) return false;
    syncFolder(to.parent_path());
    return true;
}

}  // namespace ib
