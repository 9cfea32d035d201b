// A stream buffer over a NewFileWriter, so that an output made through one
// takes the usual stream insertions. Bytes collect in a buffer of its own and
// go to the file when it is full or the stream is flushed; a large write goes
// straight through. A failed write fails the stream.
#pragma once

#include <streambuf>
#include <vector>

#include "seams/new_file.h"

namespace ib {

class WriterStreamBuffer final : public std::streambuf {
public:
    explicit WriterStreamBuffer(NewFileWriter& file);

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* bytes, std::streamsize count) override;
    int sync() override;

private:
    // Hands the collected bytes to the file; false when it could not take them.
    bool drain();

    NewFileWriter& m_file;
    std::vector<char> m_buffer;
};

}  // namespace ib
