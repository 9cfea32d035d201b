// Bitmap conversion for the recorder: headers are checked against the file's
// length before anything is read or written, so no input can make a read or a
// write leave its buffer, and a bitmap the recorder cannot show is refused with
// the reason; then the rows are copied in reverse order.
#include "userarea/bitmap_conversion.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <span>
#include <vector>

#include "config/private_profile.h"
#include "device/text_format.h"
#include "device/vendor_command.h"
#include "seams/utf8_path.h"

namespace ib {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kPixelOffsetField = 10;
constexpr std::uint32_t kCoreHeaderSize = 12;  // the old header with 16-bit fields
constexpr std::uint32_t kLargestShortHeader = 44;
constexpr std::uint32_t kInfoHeaderSize = 40;  // masks of a bit-field bitmap follow it
constexpr std::array<std::uint32_t, 4> kLongHeaderSizes = {52, 56, 108, 124};  // masks inside from 52 on
constexpr std::uint32_t kLargestInfoHeader = 124;
constexpr std::uint32_t kLargestRowBytes = 65536;  // 32,768 pixels, far wider than any recorder's screen
constexpr std::uint32_t kMasksInInfoHeader = 52;   // red, green and blue masks at 40, 44, 48
constexpr std::uint32_t kAlphaMaskInInfoHeader = 56;  // and the alpha mask at 52
constexpr std::size_t kMasksAt = kFileHeaderSize + kInfoHeaderSize;
constexpr std::size_t kMasksEnd = kMasksAt + 12;
constexpr std::size_t kAlphaMaskAt = kMasksEnd;

enum class Compression : std::uint32_t { None = 0, BitFields = 3 };

struct Masks {
    std::uint32_t red, green, blue;
    bool operator==(const Masks&) const = default;
};
constexpr Masks kMasks565{0xF800, 0x07E0, 0x001F};
constexpr Masks kMasks555{0x7C00, 0x03E0, 0x001F};

struct BitmapLayout {
    std::uint32_t infoSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint64_t pixelOffset = 0;
    std::uint64_t rowSize = 0;
    bool widenGreen = false;  // pixels are 5-5-5 and become 5-6-5
};

// A layout the conversion can copy, or why not.
struct LayoutCheck {
    BitmapLayout layout;
    std::string problem;  // empty when the layout is usable
};

LayoutCheck refused(std::string problem) { return {{}, std::move(problem)}; }

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

bool knownInfoSize(std::uint32_t size) {
    return (size >= kCoreHeaderSize && size <= kLargestShortHeader) ||
           std::find(kLongHeaderSizes.begin(), kLongHeaderSizes.end(), size) != kLongHeaderSizes.end();
}

// Whether the 16-bit pixels need widening; a problem text when their format is not one the recorder shows.
std::string readPixelFormat(std::span<const std::uint8_t> headers, BitmapLayout& layout) {
    if (layout.compression == static_cast<std::uint32_t>(Compression::None)) {
        layout.widenGreen = true;
        return {};
    }
    // Smaller headers (OS/2) use the value 3 for a compression of their own.
    if (layout.compression != static_cast<std::uint32_t>(Compression::BitFields) ||
        layout.infoSize < kInfoHeaderSize)
        return formatText("compressed (compression %u)", layout.compression);
    if (headers.size() < kMasksEnd) return "truncated: the file ends inside its bit-field masks";
    const Masks masks{littleEndian32(headers, kMasksAt), littleEndian32(headers, kMasksAt + 4),
                      littleEndian32(headers, kMasksAt + 8)};
    if (masks != kMasks565 && masks != kMasks555)
        return formatText("bit-field masks %04X/%04X/%04X are neither 5-6-5 nor 5-5-5", masks.red, masks.green,
                          masks.blue);
    layout.widenGreen = masks == kMasks555;
    return {};
}

// The layout when it is a 16-bit bitmap the recorder shows and every row to be copied lies inside the file.
LayoutCheck readLayout(std::span<const std::uint8_t> headers, std::uint64_t fileSize) {
    if (headers.size() < kFileHeaderSize + 4) return refused("truncated: the file ends inside its headers");
    const auto info = headers.subspan(kFileHeaderSize);
    BitmapLayout layout;
    layout.infoSize = littleEndian32(info, 0);
    if (!knownInfoSize(layout.infoSize)) return refused(formatText("unknown info header size %u", layout.infoSize));
    if (info.size() < layout.infoSize) return refused("truncated: the file ends inside its headers");
    readSizeFields(info, layout);
    if (layout.bitCount != 16) return refused(formatText("not a 16-bit bitmap (%u bits per pixel)", layout.bitCount));
    if (layout.height < 0)
        return refused(formatText("its rows are stored top-down (height %lld)", static_cast<long long>(layout.height)));
    if (layout.width <= 0 || layout.height == 0)
        return refused(formatText("it has no pixels (width %lld, height %lld)", static_cast<long long>(layout.width),
                                  static_cast<long long>(layout.height)));
    if (std::string problem = readPixelFormat(headers, layout); !problem.empty()) return refused(std::move(problem));
    layout.rowSize = (std::uint64_t{layout.bitCount} * static_cast<std::uint64_t>(layout.width) + 31) / 32 * 4;
    layout.pixelOffset = littleEndian32(headers, kPixelOffsetField);
    if (layout.rowSize > fileSize || layout.pixelOffset > fileSize ||
        static_cast<std::uint64_t>(layout.height) > (fileSize - layout.pixelOffset) / layout.rowSize)
        return refused("truncated: its rows run past the end of the file");
    // A row is held in memory while it is converted: its length comes from the file, so it is bounded.
    if (layout.rowSize > kLargestRowBytes)
        return refused(formatText("its rows are longer than %u bytes (%llu bytes)", kLargestRowBytes,
                                  static_cast<unsigned long long>(layout.rowSize)));
    return {layout, {}};
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
    std::vector<std::uint8_t> written(headers.begin(), headers.begin() + kFileHeaderSize + layout.infoSize);
    // Colour tables and masks after the info header are not copied, so the pixels follow it directly.
    putLittleEndian32(written, kPixelOffsetField, static_cast<std::uint32_t>(kFileHeaderSize + layout.infoSize));
    // Masks inside the info header describe the pixels as written: 5-6-5, no alpha.
    if (layout.compression == static_cast<std::uint32_t>(Compression::BitFields) &&
        layout.infoSize >= kMasksInInfoHeader) {
        putLittleEndian32(written, kMasksAt, kMasks565.red);
        putLittleEndian32(written, kMasksAt + 4, kMasks565.green);
        putLittleEndian32(written, kMasksAt + 8, kMasks565.blue);
        if (layout.infoSize >= kAlphaMaskInInfoHeader) putLittleEndian32(written, kAlphaMaskAt, 0);
    }
    out.write(reinterpret_cast<const char*>(written.data()), static_cast<std::streamsize>(written.size()));
    return static_cast<bool>(out);
}

bool copyRowsBottomUp(std::ifstream& in, std::ofstream& out, const BitmapLayout& layout) {
    std::vector<std::uint8_t> row(layout.rowSize);
    for (std::int64_t r = layout.height - 1; r >= 0; --r) {
        in.seekg(
            static_cast<std::streamoff>(layout.pixelOffset + static_cast<std::uint64_t>(r) * layout.rowSize));
        in.read(reinterpret_cast<char*>(row.data()), static_cast<std::streamsize>(row.size()));
        if (in.gcount() != static_cast<std::streamsize>(row.size())) return false;
        if (layout.widenGreen) widenGreen(row, layout.width);
        out.write(reinterpret_cast<const char*>(row.data()), static_cast<std::streamsize>(row.size()));
        if (!out) return false;
    }
    return true;
}

PreparedBitmap failed(std::string problem) { return {BitmapOutcome::Failed, {}, std::move(problem)}; }

}  // namespace

bool isBitmapName(std::string_view fileName) {
    return fileName.size() >= 4 && sameProfileName(fileName.substr(fileName.size() - 4), ".bmp");
}

PreparedBitmap prepareBitmap(const std::filesystem::path& source, const std::filesystem::path& temporaryFolder) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(source, error)) return {BitmapOutcome::SourceMissing, {}, {}};
    std::ifstream in(source, std::ios::binary);
    const std::uint64_t fileSize = std::filesystem::file_size(source, error);
    if (!in || error) return {BitmapOutcome::SourceMissing, {}, {}};

    std::array<std::uint8_t, kFileHeaderSize + kLargestInfoHeader> headerBytes{};
    in.read(reinterpret_cast<char*>(headerBytes.data()), headerBytes.size());
    const std::span<const std::uint8_t> headers(headerBytes.data(), static_cast<std::size_t>(in.gcount()));
    in.clear();  // a short read of a small bitmap is fine; the layout check decides
    const LayoutCheck check = readLayout(headers, fileSize);
    if (!check.problem.empty()) return failed(check.problem);

    const std::filesystem::path output = temporaryFolder / pathFromUtf8(kDeviceBitmapName);
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    if (!out) return failed("cannot create " + utf8FromPath(output));
    const bool written = writeHeaders(out, headers, check.layout) && copyRowsBottomUp(in, out, check.layout);
    out.close();
    if (!written || !out) {
        std::filesystem::remove(output, error);
        return failed("cannot write " + utf8FromPath(output));
    }
    return {BitmapOutcome::Written, output, {}};
}

}  // namespace ib
