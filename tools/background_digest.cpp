// The digest thread. See background_digest.h.
#include "tools/background_digest.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "tools/tool_failure.h"

namespace ib::tools {
namespace {

// Fits in the second-level cache, so each piece is still there when MD5 reads it.
constexpr std::size_t kPieceBytes = 256 * 1024;

}  // namespace

BackgroundDigest::BackgroundDigest(int fd, std::uint64_t length)
    : m_thread([this, fd, length](std::stop_token stop) { hash(stop, fd, length); }) {}

Md5Digest BackgroundDigest::result() {
    m_thread.join();
    if (m_failure) std::rethrow_exception(m_failure);
    return m_digest;
}

void BackgroundDigest::hash(std::stop_token stop, int fd, std::uint64_t length) {
    try {
        Md5 md5;
        std::vector<std::uint8_t> piece(kPieceBytes);
        for (std::uint64_t done = 0; done < length && !stop.stop_requested();) {
            const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), length - done));
            const ssize_t got = pread(fd, piece.data(), wanted, static_cast<off_t>(done));
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) throw ToolFailure(withSystemError("reading the intermediate image failed", errno));
            if (got == 0) throw ToolFailure("the intermediate image ended early");
            md5.update(std::span(piece).first(static_cast<std::size_t>(got)));
            done += static_cast<std::uint64_t>(got);
        }
        m_digest = md5.finish();
    } catch (...) {
        m_failure = std::current_exception();
    }
}

}  // namespace ib::tools
