// Write-then-rename output files. See pending_file.h.
#include "tools/pending_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/tool_failure.h"

namespace ib::tools {
namespace {

// Keeps "." + name + ".XXXXXX" + kLinkSuffix within the 255 bytes a Linux file name may have.
constexpr std::size_t kMaxNameInTemporary = 200;
constexpr const char* kLinkSuffix = ".link";

// Writeback is started in steps of this size: large enough for long disk requests,
// small enough that little is left to flush at the end.
constexpr std::uint64_t kWritebackStepBytes = 8 << 20;
// Bytes handed to the kernel per copy call, and the buffer when it cannot copy itself.
constexpr std::uint64_t kCopyStepBytes = 8 << 20;
constexpr std::size_t kReadBufferBytes = 1 << 20;


// The rename of commit() would put a plain file in the place of a device node, a
// FIFO or a folder (a symlink's target decides); such an output is refused at once,
// before anything is written.
void refuseToReplaceNonRegularFile(const std::filesystem::path& finalPath) {
    struct stat existing {};
    if (stat(finalPath.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        throw ToolFailure(quoted(finalPath) + " exists and is not a regular file; it is left as it is");
    }
}

}  // namespace

mode_t permissionsOfANewFile() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

PendingFile::PendingFile(const std::filesystem::path& finalPath) {
    if (finalPath.empty() || !finalPath.has_filename()) {
        throw ToolFailure(quoted(finalPath) + " does not name a file");
    }
    m_finalPath = std::filesystem::absolute(finalPath);
    refuseToReplaceNonRegularFile(m_finalPath);
    const std::string name = m_finalPath.filename().string().substr(0, kMaxNameInTemporary);
    std::string pattern = (m_finalPath.parent_path() / ("." + name + ".XXXXXX")).string();
    m_fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (m_fd < 0) {
        throw ToolFailure(withSystemError("cannot create a file beside " + quoted(m_finalPath), errno));
    }
    m_temporaryPath = pattern;
    // mkostemp makes the file private (0600); the result should look like any new file.
    fchmod(m_fd, permissionsOfANewFile());
}

PendingFile::~PendingFile() {
    if (m_fd >= 0) close(m_fd);
    if (!m_committed) unlink(m_temporaryPath.c_str());
}

void PendingFile::writeAll(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(m_fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            throw writeFailure(written < 0 ? errno : EIO);
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    writeBehind();
}

void PendingFile::appendCopyOf(int source, std::uint64_t length) {
    loff_t from = 0;
    while (static_cast<std::uint64_t>(from) < length) {
        const std::uint64_t step = std::min(kCopyStepBytes, length - static_cast<std::uint64_t>(from));
        const ssize_t copied = copy_file_range(source, &from, m_fd, nullptr, step, 0);
        if (copied < 0 && errno == EINTR) continue;
        // Kernels and file systems that cannot copy between these two files say so on
        // the first call; the bytes then pass through this process.
        if (copied < 0 && from == 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                                        errno == EOPNOTSUPP || errno == EBADF)) {
            appendByReading(source, 0, length);
            return;
        }
        if (copied < 0) throw writeFailure(errno);
        if (copied == 0) throw ToolFailure("the file copied into " + quoted(m_finalPath) + " ended early");
        writeBehind();
    }
}

void PendingFile::appendByReading(int source, std::uint64_t from, std::uint64_t length) {
    std::vector<std::uint8_t> buffer(kReadBufferBytes);
    while (from < length) {
        const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), length - from));
        const ssize_t got = pread(source, buffer.data(), wanted, static_cast<off_t>(from));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw ToolFailure(withSystemError("reading the file copied into " + quoted(m_finalPath) + " failed", errno));
        if (got == 0) throw ToolFailure("the file copied into " + quoted(m_finalPath) + " ended early");
        writeAll(std::span(buffer).first(static_cast<std::size_t>(got)));
        from += static_cast<std::uint64_t>(got);
    }
}

void PendingFile::writeBehind() {
    // Up to the file position: a writer that seeks past zeros leaves holes, which need no writeback.
    const off_t written = lseek(m_fd, 0, SEEK_CUR);
    while (written >= 0 && static_cast<std::uint64_t>(written) - m_writebackStarted >= kWritebackStepBytes) {
        const auto start = static_cast<off64_t>(m_writebackStarted);
        sync_file_range(m_fd, start, kWritebackStepBytes, SYNC_FILE_RANGE_WRITE);
        if (m_writebackStarted >= kWritebackStepBytes) {
            sync_file_range(m_fd, start - static_cast<off64_t>(kWritebackStepBytes), kWritebackStepBytes,
                            SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
        }
        // Errors here are only a lost head start: commit()'s flush reports them.
        m_writebackStarted += kWritebackStepBytes;
    }
}

bool PendingFile::shareContentOf(const std::filesystem::path& source) {
    const std::string linkPath = m_temporaryPath.string() + kLinkSuffix;
    if (link(source.c_str(), linkPath.c_str()) != 0) return false;
    // The link replaces the empty temporary file in one step, so the name is never free.
    if (std::rename(linkPath.c_str(), m_temporaryPath.c_str()) != 0) {
        unlink(linkPath.c_str());
        return false;
    }
    close(m_fd);
    m_fd = open(m_temporaryPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) throw ToolFailure(withSystemError("cannot open " + quoted(m_temporaryPath), errno));
    // What the source's writer left unflushed starts on its way to the disk now.
    sync_file_range(m_fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    return true;
}

ToolFailure PendingFile::writeFailure(int errorNumber) const {
    return ToolFailure(withSystemError("writing " + quoted(m_finalPath) + " failed", errorNumber));
}

void PendingFile::commit() {
    if (fsync(m_fd) != 0) throw writeFailure(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (close(fd) != 0) throw writeFailure(errno);
    if (std::rename(m_temporaryPath.c_str(), m_finalPath.c_str()) != 0) {
        throw ToolFailure(withSystemError("cannot replace " + quoted(m_finalPath), errno));
    }
    m_committed = true;
    const int folder = open(m_finalPath.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool folderFlushed = folder >= 0 && fsync(folder) == 0;
    const int folderError = errno;
    if (folder >= 0) close(folder);
    if (!folderFlushed) throw ToolFailure(withSystemError("cannot flush the folder of " + quoted(m_finalPath), folderError));
}

}  // namespace ib::tools
