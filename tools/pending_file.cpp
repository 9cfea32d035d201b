// Write-then-rename output files. See pending_file.h.
#include "tools/pending_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "tools/tool_failure.h"

namespace ib::tools {
namespace {

// Keeps "." + name + ".XXXXXX" within the 255 bytes a Linux file name may have.
constexpr std::size_t kMaxNameInTemporary = 200;

mode_t currentUmask() {
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

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
    fchmod(m_fd, 0666 & ~currentUmask());
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
}

}  // namespace ib::tools
