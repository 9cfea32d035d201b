// A recording's lines, taken one at a time from its decoded bytes: memory
// stays within one line however long the file, and a line longer than any
// the writer makes is refused as soon as it runs past that length.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "record/recording_file.h"

namespace ib::record {

// The bytes of a text already in memory (a test, a fuzzer's input).
class TextBytes final : public ByteReader {
public:
    explicit TextBytes(std::string_view text) : m_text(text) {}
    std::size_t read(char* into, std::size_t room) override;

private:
    std::string_view m_text;
};

class LineReader {
public:
    enum class Result { Line, End, TooLong };
    LineReader(ByteReader& bytes, std::size_t longest);
    // The next line that is not empty, without its line end (LF or CR LF);
    // the last line may lack one. Empty lines are passed over quickly.
    [[nodiscard]] Result next(std::string& line);
    // The number of the line next() gave or refused last, from 1.
    [[nodiscard]] std::uint64_t number() const { return m_number; }

private:
    // Reads more bytes after the ones still pending; false at the end.
    bool fill();
    void skipEmptyLines();

    ByteReader& m_bytes;
    const std::size_t m_longest;
    std::vector<char> m_buffer;
    std::size_t m_begin = 0, m_end = 0;  // the bytes read and not yet given out
    std::uint64_t m_number = 0;
};

}  // namespace ib::record
