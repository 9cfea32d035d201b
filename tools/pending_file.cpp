// What every platform's PendingFile shares. See pending_file.h.
#include "tools/pending_file.h"

#include <algorithm>
#include <vector>

namespace ib::tools {
namespace {

// Bytes read and written per step when a copy passes through this process.
constexpr std::size_t kReadBufferBytes = 1 << 20;

}  // namespace

std::filesystem::path PendingFile::checkedFinalPath(const std::filesystem::path& finalPath) {
    if (finalPath.empty() || !finalPath.has_filename()) {
        throw ToolFailure(quoted(finalPath) + " does not name a file");
    }
    std::filesystem::path absolute = std::filesystem::absolute(finalPath);
    // The rename of commit() would put a plain file in the place of a device, a FIFO or
    // a folder (a symlink's target decides); such an output is refused at once, before
    // anything is written.
    std::error_code error;
    const auto existing = std::filesystem::status(absolute, error);
    if (std::filesystem::exists(existing) && !std::filesystem::is_regular_file(existing)) {
        throw ToolFailure(quoted(absolute) + " exists and is not a regular file; it is left as it is");
    }
    return absolute;
}

ToolFailure PendingFile::writeFailure(const std::string& reason) const {
    return ToolFailure("writing " + quoted(m_finalPath) + " failed: " + reason);
}

void PendingFile::appendByReading(const SourceFile& source, std::uint64_t length) {
    std::vector<std::uint8_t> buffer(kReadBufferBytes);
    for (std::uint64_t from = 0; from < length;) {
        const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), length - from));
        const std::size_t got = source.readAt(from, std::span(buffer).first(wanted));
        if (got == 0) throw ToolFailure("the file copied into " + quoted(m_finalPath) + " ended early");
        writeAll(std::span(buffer).first(got));
        from += got;
    }
}

}  // namespace ib::tools
