// The support bundle's archive. See tar_gz_writer.h.
#include "cli/tar_gz_writer.h"

#include <zlib.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace ib::cli {
namespace {

constexpr std::size_t kBlock = 512;

// An octal number of `width - 1` digits and its terminating NUL.
void putOctal(char* field, std::size_t width, std::uint64_t value) {
    std::snprintf(field, width, "%0*llo", static_cast<int>(width - 1), static_cast<unsigned long long>(value));
}

std::array<char, kBlock> header(std::string_view name, std::uint64_t size) {
    std::array<char, kBlock> block{};
    std::memcpy(block.data(), name.data(), std::min<std::size_t>(name.size(), 99));
    putOctal(&block[100], 8, 0644);
    putOctal(&block[108], 8, 0);
    putOctal(&block[116], 8, 0);
    putOctal(&block[124], 12, size);
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::system_clock::now().time_since_epoch());
    putOctal(&block[136], 12, static_cast<std::uint64_t>(now.count()));
    block[156] = '0';
    std::memcpy(&block[257], "ustar", 6);
    std::memcpy(&block[263], "00", 2);
    // The checksum is taken with its own field as spaces.
    std::memset(&block[148], ' ', 8);
    unsigned sum = 0;
    for (const char c : block) sum += static_cast<unsigned char>(c);
    std::snprintf(&block[148], 8, "%06o", sum);
    return block;
}

}  // namespace

TarGzWriter::TarGzWriter(const std::filesystem::path& file) {
#ifdef _WIN32
    m_file = gzopen_w(file.c_str(), "wb");
#else
    m_file = gzopen(file.c_str(), "wb");
#endif
}

TarGzWriter::~TarGzWriter() {
    if (m_file != nullptr) gzclose(static_cast<gzFile>(m_file));
}

void TarGzWriter::write(const void* bytes, std::size_t size) {
    if (m_ok && size > 0)
        m_ok = gzwrite(static_cast<gzFile>(m_file), bytes, static_cast<unsigned>(size)) == static_cast<int>(size);
}

void TarGzWriter::add(std::string_view name, std::string_view content) {
    const auto block = header(name, content.size());
    write(block.data(), block.size());
    write(content.data(), content.size());
    const std::array<char, kBlock> padding{};
    write(padding.data(), (kBlock - content.size() % kBlock) % kBlock);
}

bool TarGzWriter::finish() {
    const std::array<char, 2 * kBlock> end{};
    write(end.data(), end.size());
    const bool closed = gzclose(static_cast<gzFile>(m_file)) == Z_OK;
    m_file = nullptr;
    return m_ok && closed;
}

}  // namespace ib::cli
