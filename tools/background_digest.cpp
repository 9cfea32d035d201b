// The digest thread. See background_digest.h.
#include "tools/background_digest.h"

#include <algorithm>
#include <vector>

#include "tools/tool_failure.h"

namespace ib::tools {
namespace {

// Fits in the second-level cache, so each piece is still there when MD5 reads it.
constexpr std::size_t kPieceBytes = 256 * 1024;

}  // namespace

BackgroundDigest::BackgroundDigest(const SourceFile& file, std::uint64_t length)
    : m_thread([this, &file, length](std::stop_token stop) { hash(stop, file, length); }) {}

Md5Digest BackgroundDigest::result() {
    m_thread.join();
    if (m_failure) std::rethrow_exception(m_failure);
    return m_digest;
}

void BackgroundDigest::hash(std::stop_token stop, const SourceFile& file, std::uint64_t length) {
    try {
        Md5 md5;
        std::vector<std::uint8_t> piece(kPieceBytes);
        for (std::uint64_t done = 0; done < length && !stop.stop_requested();) {
            const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), length - done));
            const std::size_t got = file.readAt(done, std::span(piece).first(wanted));
            if (got == 0) throw ToolFailure("the intermediate image ended early");
            md5.update(std::span(piece).first(got));
            done += got;
        }
        m_digest = md5.finish();
    } catch (...) {
        m_failure = std::current_exception();
    }
}

}  // namespace ib::tools
