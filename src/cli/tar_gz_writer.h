// A gzip-compressed tar archive (ustar, with pax headers for names and sizes
// that ustar cannot hold) written member by member through zlib: the form of
// the support bundle, which every system can open. Members are streamed, and
// the archive takes its name only once it is whole.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

#include "seams/replacement_file.h"

namespace ib::cli {

class TarGzWriter {
public:
    // Starts the archive under a temporary name beside `file`; check ok() before adding.
    explicit TarGzWriter(const std::filesystem::path& file);
    ~TarGzWriter();
    TarGzWriter(const TarGzWriter&) = delete;
    TarGzWriter& operator=(const TarGzWriter&) = delete;

    bool ok() const { return m_ok; }
    // Adds a member called `name` (UTF-8, any length) holding `content`,
    // dated `modified` (seconds since 1970).
    void add(std::string_view name, std::string_view content, std::int64_t modified);
    // The same with the `size` bytes that `from` gives, read in pieces. False,
    // and the archive failed, when fewer came (the file shrank while it was
    // read) or `stopped` said to stop.
    [[nodiscard]] bool add(std::string_view name, std::istream& from, std::uint64_t size, std::int64_t modified,
                           const std::function<bool()>& stopped);
    // Writes the archive's end and gives it its name; false when anything
    // could not be written (then no archive is left).
    [[nodiscard]] bool finish();

private:
    void header(std::string_view name, std::uint64_t size, std::int64_t modified);
    void write(const void* bytes, std::size_t size);
    void pad(std::uint64_t size);
    // Compresses what deflate holds with `flush` and writes it out.
    void deflateOut(int flush);

    ReplacementFile m_file;
    z_stream m_zip{};
    bool m_ok = true;
};

}  // namespace ib::cli
