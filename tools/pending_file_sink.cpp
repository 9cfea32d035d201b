// Sparse image output. See pending_file_sink.h.
#include "tools/pending_file_sink.h"

#include <unistd.h>

#include <cerrno>

#include "tools/tool_failure.h"

namespace ib::tools {

void PendingFileSink::write(std::span<const std::uint8_t> bytes) {
    m_file.writeAll(bytes);
    m_position += bytes.size();
}

void PendingFileSink::skipZeros(std::uint64_t count) {
    m_position += count;
    if (lseek(m_file.descriptor(), static_cast<off_t>(m_position), SEEK_SET) < 0) {
        throw ToolFailure(withSystemError("cannot extend " + quoted(m_file.finalPath()), errno));
    }
}

void PendingFileSink::finish() {
    if (ftruncate(m_file.descriptor(), static_cast<off_t>(m_position)) != 0) {
        throw ToolFailure(withSystemError("cannot extend " + quoted(m_file.finalPath()), errno));
    }
}

}  // namespace ib::tools
