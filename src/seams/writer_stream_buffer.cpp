// A stream buffer over a file writer. See writer_stream_buffer.h.
#include "seams/writer_stream_buffer.h"

#include <cstdint>
#include <span>

namespace ib {
namespace {

constexpr std::size_t kBufferBytes = 64 * 1024;

std::span<const std::uint8_t> asBytes(const char* bytes, std::size_t count) {
    return {reinterpret_cast<const std::uint8_t*>(bytes), count};
}

}  // namespace

WriterStreamBuffer::WriterStreamBuffer(NewFileWriter& file) : m_file(file), m_buffer(kBufferBytes) {
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
}

WriterStreamBuffer::int_type WriterStreamBuffer::overflow(int_type c) {
    if (!drain()) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

std::streamsize WriterStreamBuffer::xsputn(const char* bytes, std::streamsize count) {
    if (static_cast<std::size_t>(count) < m_buffer.size()) return std::streambuf::xsputn(bytes, count);
    if (!drain() || !m_file.writeAll(asBytes(bytes, static_cast<std::size_t>(count)))) return 0;
    return count;
}

int WriterStreamBuffer::sync() { return drain() ? 0 : -1; }

bool WriterStreamBuffer::drain() {
    const auto pending = static_cast<std::size_t>(pptr() - pbase());
    const bool written = pending == 0 || m_file.writeAll(asBytes(pbase(), pending));
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    return written;
}

}  // namespace ib
