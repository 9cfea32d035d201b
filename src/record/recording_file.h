// The file a recording lives in: plain JSON Lines, or compressed by gzip
// (".gz", zlib) or Zstandard (".zst", libzstd) after the file name. The
// writer pushes every line through to the file at once, so a crash loses at
// most the line being written; the reader decodes what a crash left, as a
// stream, and stops at the cut.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace ib::record {

enum class Compression { None, Gzip, Zstd };

Compression compressionFor(const std::filesystem::path& file);
// False for a compression this build leaves out (Zstandard in the Windows build).
bool compressionBuilt(Compression compression);

class LineWriter {
public:
    virtual ~LineWriter() = default;
    // Writes `line` and a line end and hands both to the system; false, with
    // the system's reason in `whyNot`, when that failed.
    [[nodiscard]] virtual bool writeLine(std::string_view line, std::string& whyNot) = 0;
    // Null with `error` set, in words a person can act on, when the file cannot be made.
    static std::unique_ptr<LineWriter> create(const std::filesystem::path& file, std::string& error);
};

class ByteReader {
public:
    virtual ~ByteReader() = default;
    // Up to `room` decoded bytes; 0 at the end, or where a compressed stream was cut short.
    [[nodiscard]] virtual std::size_t read(char* into, std::size_t room) = 0;
    // Null with `error` set when the file cannot be read. Only a regular file
    // is opened: a folder has no lines, and a FIFO or a device could keep the
    // reader waiting for ever.
    static std::unique_ptr<ByteReader> open(const std::filesystem::path& file, std::string& error);
};

}  // namespace ib::record
