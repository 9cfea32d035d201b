// Sparse image output. See pending_file_sink.h.
#include "tools/pending_file_sink.h"

namespace ib::tools {

void PendingFileSink::write(std::span<const std::uint8_t> bytes) {
    m_file.writeAll(bytes);
    m_position += bytes.size();
}

void PendingFileSink::skipZeros(std::uint64_t count) {
    m_position += count;
    m_file.seekTo(m_position);
}

void PendingFileSink::overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    m_file.seekTo(offset);
    m_file.writeAll(bytes);
    m_file.seekTo(m_position);
}

void PendingFileSink::finish() { m_file.resize(m_position); }

}  // namespace ib::tools
