// Reading lines with a bound. See line_reader.h.
#include "record/line_reader.h"

#include <algorithm>
#include <cstring>

namespace ib::record {
namespace {
constexpr std::size_t kChunk = 64 * 1024;
}

std::size_t TextBytes::read(char* into, std::size_t room) {
    const std::size_t taken = std::min(room, m_text.size());
    std::memcpy(into, m_text.data(), taken);
    m_text.remove_prefix(taken);
    return taken;
}

// Room for the longest line, its line end and one more chunk.
LineReader::LineReader(ByteReader& bytes, std::size_t longest)
    : m_bytes(bytes), m_longest(longest), m_buffer(longest + 2 + kChunk) {}

bool LineReader::fill() {
    if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    const std::size_t got = m_bytes.read(m_buffer.data() + m_end, m_buffer.size() - m_end);
    m_end += got;
    return got > 0;
}

namespace {
std::size_t withoutCr(const char* line, std::size_t length) {
    return length > 0 && line[length - 1] == '\r' ? length - 1 : length;
}
}  // namespace

void LineReader::skipEmptyLines() {
    for (;;) {
        if (m_begin < m_end && m_buffer[m_begin] == '\n') {
            ++m_begin;
        } else if (m_begin + 1 < m_end && m_buffer[m_begin] == '\r' && m_buffer[m_begin + 1] == '\n') {
            m_begin += 2;
        } else {
            return;
        }
        ++m_number;
    }
}

LineReader::Result LineReader::next(std::string& line) {
    std::size_t searched = 0;  // pending bytes known to hold no line end
    for (;;) {
        if (searched == 0) skipEmptyLines();
        const std::size_t pending = m_end - m_begin;
        const char* start = m_buffer.data() + m_begin;
        if (const void* found = std::memchr(start + searched, '\n', pending - searched)) {
            const std::size_t length = static_cast<std::size_t>(static_cast<const char*>(found) - start);
            ++m_number;
            if (withoutCr(start, length) > m_longest) return Result::TooLong;
            line.assign(start, withoutCr(start, length));
            m_begin += length + 1;
            return Result::Line;
        }
        searched = pending;
        if (withoutCr(start, pending) > m_longest) {
            ++m_number;
            return Result::TooLong;
        }
        if (!fill()) {
            if (pending == 0) return Result::End;
            ++m_number;
            line.assign(m_buffer.data() + m_begin, withoutCr(m_buffer.data() + m_begin, pending));
            m_begin = m_end;
            return Result::Line;
        }
    }
}

}  // namespace ib::record
