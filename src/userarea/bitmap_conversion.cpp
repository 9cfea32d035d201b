// Bitmap conversion for the recorder: headers are checked against the file's
// length before anything is read or written, so no input can make a read or a
// write leave its buffer; then the rows are copied in reverse order.
#include "userarea/bitmap_conversion.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <span>
#include <vector>

#include "config/private_profile.h"
#include "device/vendor_command.h"

namespace ib {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kPixelOffsetField = 10;
constexpr std::uint32_t kCoreHeaderSize = 12;  // the old header with 16-bit fields
constexpr std::uint32_t kLargestInfoHeader = 44;

struct BitmapLayout {
    std::uint32_t infoSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint64_t pixelOffset = 0;
    std::uint64_t rowSize = 0;
};

std::uint32_t littleEndian16(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8;
}

// A field of the info header counts only when it lies wholly inside biSize bytes; otherwise it reads 0.
std::uint32_t infoField(std::span<const std::uint8_t> info, std::uint32_t infoSize, std::size_t at,
                        std::size_t width) {
    if (at + width > infoSize) return 0;
    return width == 2 ? littleEndian16(info, at) : littleEndian32(info, at);
}

void readSizeFields(std::span<const std::uint8_t> info, BitmapLayout& layout) {
    if (layout.infoSize == kCoreHeaderSize) {
        layout.width = littleEndian16(info, 4);
        layout.height = littleEndian16(info, 6);
        layout.bitCount = littleEndian16(info, 10);
        return;
    }
    layout.width = static_cast<std::int32_t>(infoField(info, layout.infoSize, 4, 4));
    layout.height = static_cast<std::int32_t>(infoField(info, layout.infoSize, 8, 4));
    layout.bitCount = infoField(info, layout.infoSize, 14, 2);
    layout.compression = infoField(info, layout.infoSize, 16, 4);
}

bool knownBitCount(std::uint32_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// The layout when headers, one row and every row to be copied lie inside the file.
std::optional<BitmapLayout> readLayout(std::span<const std::uint8_t> headers, std::uint64_t fileSize) {
    if (headers.size() < kFileHeaderSize + 4) return std::nullopt;
    const auto info = headers.subspan(kFileHeaderSize);
    BitmapLayout layout;
    layout.infoSize = littleEndian32(info, 0);
    if (layout.infoSize < kCoreHeaderSize || layout.infoSize > kLargestInfoHeader ||
        info.size() < layout.infoSize)
        return std::nullopt;
    readSizeFields(info, layout);
    if (!knownBitCount(layout.bitCount) || layout.width <= 0) return std::nullopt;
    layout.rowSize =
        (std::uint64_t{layout.bitCount} * static_cast<std::uint64_t>(layout.width) + 31) / 32 * 4;
    layout.pixelOffset = littleEndian32(headers, kPixelOffsetField);
    if (layout.rowSize > fileSize || layout.pixelOffset > fileSize) return std::nullopt;
    if (layout.height > 0 &&
        static_cast<std::uint64_t>(layout.height) > (fileSize - layout.pixelOffset) / layout.rowSize)
        return std::nullopt;
    return layout;
}

// 5-5-5 to 5-6-5: red and green move up one bit, the new low green bit (5) stays clear, bit 15 drops out.
void widenGreen(std::span<std::uint8_t> row, std::int64_t pixels) {
    const std::size_t count = std::min(static_cast<std::size_t>(pixels), row.size() / 2);
    for (std::size_t at = 0; at < 2 * count; at += 2) {
        const std::uint32_t pixel = littleEndian16(row, at);
        const std::uint32_t converted = (pixel & 0x001Fu) | ((pixel << 1) & 0xFFC0u);
        row[at] = static_cast<std::uint8_t>(converted);
        row[at + 1] = static_cast<std::uint8_t>(converted >> 8);
    }
}

bool writeHeaders(std::ofstream& out, std::span<const std::uint8_t> headers, const BitmapLayout& layout) {
    std::array<std::uint8_t, kFileHeaderSize> fileHeader{};
    std::copy_n(headers.begin(), kFileHeaderSize, fileHeader.begin());
    // Colour tables and masks are not copied, so the pixels follow the info header directly.
    putLittleEndian32(fileHeader, kPixelOffsetField,
                      static_cast<std::uint32_t>(kFileHeaderSize + layout.infoSize));
    out.write(reinterpret_cast<const char*>(fileHeader.data()), fileHeader.size());
    out.write(reinterpret_cast<const char*>(headers.data() + kFileHeaderSize), layout.infoSize);
    return static_cast<bool>(out);
}

bool copyRowsBottomUp(std::ifstream& in, std::ofstream& out, const BitmapLayout& layout) {
    const bool convert = layout.compression == 0 && layout.bitCount == 16;
    std::vector<std::uint8_t> row(layout.rowSize);
    for (std::int64_t r = layout.height - 1; r >= 0; --r) {
        in.seekg(
            static_cast<std::streamoff>(layout.pixelOffset + static_cast<std::uint64_t>(r) * layout.rowSize));
        in.read(reinterpret_cast<char*>(row.data()), static_cast<std::streamsize>(row.size()));
        if (in.gcount() != static_cast<std::streamsize>(row.size())) return false;
        if (convert) widenGreen(row, layout.width);
        out.write(reinterpret_cast<const char*>(row.data()), static_cast<std::streamsize>(row.size()));
        if (!out) return false;
    }
    return true;
}

}  // namespace

bool isBitmapName(std::string_view fileName) {
    return fileName.size() >= 4 && sameProfileName(fileName.substr(fileName.size() - 4), ".bmp");
}

std::optional<std::filesystem::path> prepareBitmap(const std::filesystem::path& source,
                                                   const std::filesystem::path& temporaryFolder) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(source, error)) return std::nullopt;
    std::ifstream in(source, std::ios::binary);
    if (!in) return std::nullopt;
    const std::uint64_t fileSize = std::filesystem::file_size(source, error);
    if (error) return std::nullopt;

    std::array<std::uint8_t, kFileHeaderSize + kLargestInfoHeader> headerBytes{};
    in.read(reinterpret_cast<char*>(headerBytes.data()), headerBytes.size());
    const std::span<const std::uint8_t> headers(headerBytes.data(), static_cast<std::size_t>(in.gcount()));
    in.clear();  // a short read of a small bitmap is fine; the layout check decides
    const std::optional<BitmapLayout> layout = readLayout(headers, fileSize);
    if (!layout) return std::nullopt;

    const std::filesystem::path output = temporaryFolder / kDeviceBitmapName;
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    if (!out) return std::nullopt;
    const bool written = writeHeaders(out, headers, *layout) && copyRowsBottomUp(in, out, *layout);
    out.close();
    if (!written || !out) {
        std::filesystem::remove(output, error);
        return std::nullopt;
    }
    return output;
}

}  // namespace ib
