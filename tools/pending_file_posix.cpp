// Write-then-rename output files on POSIX systems. See pending_file.h.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/pending_file.h"
#include "seams/replacement_file.h"
#include "seams/utf8_path.h"
#include "tools/posix_permissions.h"

namespace ib::tools {
namespace {

constexpr const char* kLinkSuffix = ".link";
// Tries at a free temporary name before giving up: a clash is already unlikely.
constexpr int kNameAttempts = 100;

// Writeback is started in steps of this size: large enough for long disk requests,
// small enough that little is left to flush at the end.
constexpr std::uint64_t kWritebackStepBytes = 8 << 20;
// Bytes handed to the kernel per copy call.
constexpr std::uint64_t kCopyStepBytes = 8 << 20;

// Starts writeback of what was written up to the file position of `fd` since the last
// call, in steps, and waits for the step before, so dirty pages never pile up ahead of
// the disk. `started` counts the bytes whose writeback has been started; a write before
// it (a header written again at the end) starts none.
void writeBehind(int fd, std::uint64_t& started) {
    // Up to the file position: a writer that seeks past zeros leaves holes, which need no writeback.
    const off_t written = lseek(fd, 0, SEEK_CUR);
    while (written >= 0 && static_cast<std::uint64_t>(written) >= started + kWritebackStepBytes) {
        const auto start = static_cast<off64_t>(started);
        sync_file_range(fd, start, kWritebackStepBytes, SYNC_FILE_RANGE_WRITE);
        if (started >= kWritebackStepBytes) {
            sync_file_range(fd, start - static_cast<off64_t>(kWritebackStepBytes), kWritebackStepBytes,
                            SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
        }
        // Errors here are only a lost head start: commit()'s flush reports them.
        started += kWritebackStepBytes;
    }
}

}  // namespace

mode_t permissionsOfANewFile() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

PendingFile::PendingFile(const std::filesystem::path& finalPath) : m_finalPath(checkedFinalPath(finalPath)) {
    // The program's name for a temporary of this output, so that the program
    // clears it when this tool is killed; created exclusively, with the access
    // a new file gets.
    for (int attempt = 0; attempt < kNameAttempts && !m_isOpen; ++attempt) {
        m_temporaryPath = m_finalPath.parent_path() / pathFromUtf8(temporaryName(m_finalPath));
        m_handle = open(m_temporaryPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        m_isOpen = m_handle >= 0;
        if (!m_isOpen && errno != EEXIST) break;
    }
    if (!m_isOpen) throw ToolFailure(withSystemError("cannot create a file beside " + quoted(m_finalPath), errno));
}

PendingFile::~PendingFile() {
    if (m_isOpen) close(m_handle);
    if (!m_committed) unlink(m_temporaryPath.c_str());
}

void PendingFile::writeAll(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(m_handle, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) throw writeFailure(std::strerror(written < 0 ? errno : EIO));
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    writeBehind(m_handle, m_writebackStarted);
}

void PendingFile::seekTo(std::uint64_t offset) {
    if (lseek(m_handle, static_cast<off_t>(offset), SEEK_SET) < 0) {
        throw ToolFailure(withSystemError("cannot extend " + quoted(m_finalPath), errno));
    }
}

void PendingFile::resize(std::uint64_t length) {
    if (ftruncate(m_handle, static_cast<off_t>(length)) != 0) {
        throw ToolFailure(withSystemError("cannot extend " + quoted(m_finalPath), errno));
    }
}

void PendingFile::appendCopyOf(const SourceFile& source, std::uint64_t length) {
    loff_t from = 0;
    while (static_cast<std::uint64_t>(from) < length) {
        const std::uint64_t step = std::min(kCopyStepBytes, length - static_cast<std::uint64_t>(from));
        const ssize_t copied = copy_file_range(source.handle(), &from, m_handle, nullptr, step, 0);
        if (copied < 0 && errno == EINTR) continue;
        // Kernels and file systems that cannot copy between these two files say so on
        // the first call; the bytes then pass through this process.
        if (copied < 0 && from == 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                                        errno == EOPNOTSUPP || errno == EBADF)) {
            appendByReading(source, length);
            return;
        }
        if (copied < 0) throw writeFailure(std::strerror(errno));
        if (copied == 0) throw ToolFailure("the file copied into " + quoted(m_finalPath) + " ended early");
        writeBehind(m_handle, m_writebackStarted);
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
    close(m_handle);
    m_handle = open(m_temporaryPath.c_str(), O_RDONLY | O_CLOEXEC);
    m_isOpen = m_handle >= 0;
    if (!m_isOpen) throw ToolFailure(withSystemError("cannot open " + quoted(m_temporaryPath), errno));
    // What the source's writer left unflushed starts on its way to the disk now.
    sync_file_range(m_handle, 0, 0, SYNC_FILE_RANGE_WRITE);
    return true;
}

void PendingFile::commit() {
    if (fsync(m_handle) != 0) throw writeFailure(std::strerror(errno));
    m_isOpen = false;
    if (close(m_handle) != 0) throw writeFailure(std::strerror(errno));
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
