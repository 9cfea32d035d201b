// A gzip-compressed tar archive (ustar) written member by member, through
// zlib: the form of the support bundle, which every system can open.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace ib::cli {

class TarGzWriter {
public:
    // Creates the archive; check ok() before adding.
    explicit TarGzWriter(const std::filesystem::path& file);
    ~TarGzWriter();
    TarGzWriter(const TarGzWriter&) = delete;
    TarGzWriter& operator=(const TarGzWriter&) = delete;

    bool ok() const { return m_file != nullptr && m_ok; }
    // Adds a member called `name` (at most 99 bytes) holding `content`.
    void add(std::string_view name, std::string_view content);
    // Writes the archive's end; false when anything could not be written.
    [[nodiscard]] bool finish();

private:
    void write(const void* bytes, std::size_t size);

    void* m_file = nullptr;
    bool m_ok = true;
};

}  // namespace ib::cli
