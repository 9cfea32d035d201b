// The support bundle's archive. See tar_gz_writer.h.
#include "cli/tar_gz_writer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <istream>
#include <vector>

namespace ib::cli {
namespace {

constexpr std::size_t kBlock = 512;
constexpr std::size_t kNameField = 100;
constexpr std::uint64_t kLargestUstarSize = 077777777777;  // 11 octal digits
constexpr std::size_t kPiece = 64 * 1024;
constexpr char kRegularFile = '0', kPaxHeader = 'x';

// An octal number of `width - 1` digits and its terminating NUL.
void putOctal(char* field, std::size_t width, std::uint64_t value) {
    std::snprintf(field, width, "%0*llo", static_cast<int>(width - 1), static_cast<unsigned long long>(value));
}

std::array<char, kBlock> ustarHeader(std::string_view name, std::uint64_t size, std::int64_t modified, char type) {
    std::array<char, kBlock> block{};
    std::memcpy(block.data(), name.data(), std::min(name.size(), kNameField));
    putOctal(&block[100], 8, 0644);
    putOctal(&block[108], 8, 0);
    putOctal(&block[116], 8, 0);
    putOctal(&block[124], 12, size > kLargestUstarSize ? 0 : size);
    putOctal(&block[136], 12, static_cast<std::uint64_t>(std::max<std::int64_t>(modified, 0)));
    block[156] = type;
    std::memcpy(&block[257], "ustar", 6);
    std::memcpy(&block[263], "00", 2);
    // The checksum is taken with its own field as spaces.
    std::memset(&block[148], ' ', 8);
    unsigned sum = 0;
    for (const char c : block) sum += static_cast<unsigned char>(c);
    std::snprintf(&block[148], 8, "%06o", sum);
    return block;
}

// One pax record, "<length> <key>=<value>\n", its length counting its own digits.
std::string paxRecord(std::string_view key, std::string_view value) {
    const std::size_t rest = key.size() + value.size() + 3;
    std::size_t length = rest + 1;
    while (std::to_string(length).size() + rest != length) length = std::to_string(length).size() + rest;
    return std::to_string(length) + " " + std::string(key) + "=" + std::string(value) + "\n";
}

}  // namespace

TarGzWriter::TarGzWriter(const std::filesystem::path& file) : m_file(file) {
    constexpr int kGzipWindow = 15 + 16;  // deflate with a gzip header and trailer
    m_ok = m_file.stream().good() &&
           deflateInit2(&m_zip, Z_BEST_COMPRESSION, Z_DEFLATED, kGzipWindow, 8, Z_DEFAULT_STRATEGY) == Z_OK;
}

TarGzWriter::~TarGzWriter() { deflateEnd(&m_zip); }

void TarGzWriter::deflateOut(int flush) {
    std::array<unsigned char, kPiece> out;
    do {
        m_zip.next_out = out.data();
        m_zip.avail_out = static_cast<uInt>(out.size());
        const int result = deflate(&m_zip, flush);
        m_ok = m_ok && result != Z_STREAM_ERROR;
        m_file.stream().write(reinterpret_cast<const char*>(out.data()),
                              static_cast<std::streamsize>(out.size() - m_zip.avail_out));
        m_ok = m_ok && m_file.stream().good();
    } while (m_ok && m_zip.avail_out == 0);
}

void TarGzWriter::write(const void* bytes, std::size_t size) {
    if (!m_ok || size == 0) return;
    m_zip.next_in = static_cast<Bytef*>(const_cast<void*>(bytes));
    m_zip.avail_in = static_cast<uInt>(size);
    deflateOut(Z_NO_FLUSH);
}

void TarGzWriter::pad(std::uint64_t size) {
    const std::array<char, kBlock> padding{};
    write(padding.data(), (kBlock - size % kBlock) % kBlock);
}

void TarGzWriter::header(std::string_view name, std::uint64_t size, std::int64_t modified) {
    std::string pax;
    if (name.size() > kNameField) pax += paxRecord("path", name);
    if (size > kLargestUstarSize) pax += paxRecord("size", std::to_string(size));
    if (!pax.empty()) {
        const auto block = ustarHeader("PaxHeaders/" + std::string(name.substr(0, 80)), pax.size(), modified, kPaxHeader);
        write(block.data(), block.size());
        write(pax.data(), pax.size());
        pad(pax.size());
    }
    const auto block = ustarHeader(name, size, modified, kRegularFile);
    write(block.data(), block.size());
}

void TarGzWriter::add(std::string_view name, std::string_view content, std::int64_t modified) {
    header(name, content.size(), modified);
    write(content.data(), content.size());
    pad(content.size());
}

bool TarGzWriter::add(std::string_view name, std::istream& from, std::uint64_t size, std::int64_t modified,
                      const std::function<bool()>& stopped) {
    header(name, size, modified);
    std::vector<char> piece(kPiece);
    bool whole = true;
    for (std::uint64_t left = size; m_ok && whole && left > 0;) {
        from.read(piece.data(), static_cast<std::streamsize>(std::min<std::uint64_t>(left, piece.size())));
        const auto got = static_cast<std::size_t>(from.gcount());
        whole = got > 0 && !(stopped && stopped());
        write(piece.data(), got);
        left -= got;
    }
    pad(size);
    m_ok = m_ok && whole;
    return whole;
}

bool TarGzWriter::finish() {
    const std::array<char, 2 * kBlock> end{};
    write(end.data(), end.size());
    if (m_ok) deflateOut(Z_FINISH);
    return m_ok && m_file.commit();
}

}  // namespace ib::cli
