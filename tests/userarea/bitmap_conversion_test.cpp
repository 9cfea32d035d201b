// Bitmap conversion for the recorder: rows reversed, 16-bit pixels widened to
// 5-6-5 or kept, headers rewritten; and bitmaps the recorder cannot show
// refused with the reason, without touching memory outside the buffers (the
// sanitizer build checks that part).
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "userarea/bitmap_conversion.h"

namespace ib {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}
std::uint32_t get16(const std::string& b, std::size_t at) {
    return std::uint32_t{static_cast<std::uint8_t>(b[at])} |
           std::uint32_t{static_cast<std::uint8_t>(b[at + 1])} << 8;
}

struct BitmapSpec {
    std::int32_t width = 2;
    std::int32_t height = 2;
    std::uint32_t bitCount = 16;
    std::uint32_t compression = 0;
    std::uint32_t infoSize = 40;
    std::uint32_t gapBytes = 0;  // colour table or masks between header and pixels
    std::optional<std::array<std::uint32_t, 3>> masks = std::nullopt;  // red, green, blue at byte 54
};

constexpr std::array<std::uint32_t, 3> kMasks565 = {0xF800, 0x07E0, 0x001F};
constexpr std::array<std::uint32_t, 3> kMasks555 = {0x7C00, 0x03E0, 0x001F};

// A bitmap file with the given headers; pixel rows are filled by the test.
Bytes bitmap(const BitmapSpec& spec, std::size_t pixelBytes) {
    Bytes b(14 + spec.infoSize + spec.gapBytes + pixelBytes, 0xEE);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, static_cast<std::uint32_t>(b.size()));
    put32(b, 6, 0);
    put32(b, 10, 14 + spec.infoSize + spec.gapBytes);
    std::fill(b.begin() + 14, b.begin() + 14 + spec.infoSize, 0);
    // Each field is written only where the declared info header has room for it.
    const auto field = [&](std::size_t at, std::size_t width, std::uint32_t v) {
        if (at + width > 14 + spec.infoSize) return;
        width == 2 ? put16(b, at, v) : put32(b, at, v);
    };
    field(14, 4, spec.infoSize);
    field(18, 4, static_cast<std::uint32_t>(spec.width));
    field(22, 4, static_cast<std::uint32_t>(spec.height));
    field(26, 2, 1);
    field(28, 2, spec.bitCount);
    field(30, 4, spec.compression);
    for (std::size_t i = 0; spec.masks && i < 3; ++i) put32(b, 54 + 4 * i, (*spec.masks)[i]);
    return b;
}

class BitmapConversion : public ::testing::Test {
protected:
    std::optional<std::string> convert(const Bytes& file) {
        const PreparedBitmap result = prepareBitmap(folder.write("logo.bmp", file), folder.path());
        if (result.outcome != BitmapOutcome::Written) return std::nullopt;
        EXPECT_EQ(result.output.filename(), "qubpoweron.bmp");
        EXPECT_EQ(result.output.parent_path().parent_path(), folder.path()) << "in a folder of its own";
        return test::TempFolder::read(result.output);
    }
    test::TempFolder folder;
};

TEST_F(BitmapConversion, SixteenBitPixelsBecomeFiveSixFiveWithRowsTopFirst) {
    const BitmapSpec spec{.width = 2, .height = 2, .gapBytes = 12};
    Bytes file = bitmap(spec, 8);
    const std::size_t pixels = 14 + 40 + 12;
    put16(file, pixels + 0, 0x7FFF);  // bottom row: all fifteen colour bits, pure blue
    put16(file, pixels + 2, 0x001F);
    put16(file, pixels + 4, 0x83E0);  // top row: bit 15 with all green bits, all red bits
    put16(file, pixels + 6, 0x7C00);
    const auto out = convert(file);
    ASSERT_TRUE(out);
    ASSERT_EQ(out->size(), 14u + 40u + 8u);
    EXPECT_EQ(out->substr(0, 10), std::string(file.begin(), file.begin() + 10)) << "file header kept";
    EXPECT_EQ(get16(*out, 10), 54u) << "pixels follow the info header; the gap is not copied";
    EXPECT_EQ(out->substr(14, 40), std::string(file.begin() + 14, file.begin() + 54));
    EXPECT_EQ(get16(*out, 54), 0x07C0u) << "green widened, bit 5 clear, bit 15 dropped";
    EXPECT_EQ(get16(*out, 56), 0xF800u);
    EXPECT_EQ(get16(*out, 58), 0xFFDFu) << "every bit but bit 5";
    EXPECT_EQ(get16(*out, 60), 0x001Fu) << "pure blue unchanged";

    // Only the first biWidth pixels of a row are converted; the padding stays.
    Bytes odd = bitmap({.width = 1, .height = 1}, 4);
    put16(odd, 54, 0x7FFF);
    put16(odd, 56, 0x7FFF);
    const auto oddOut = convert(odd);
    ASSERT_TRUE(oddOut);
    EXPECT_EQ(get16(*oddOut, 54), 0xFFDFu);
    EXPECT_EQ(get16(*oddOut, 56), 0x7FFFu);
}

TEST_F(BitmapConversion, BitFieldMasksOfFiveSixFiveAreKeptAndFiveFiveFiveWidened) {
    // The 40-byte header has its masks after it; the longer headers that image
    // editors write hold them inside (and an alpha mask from 56 bytes on).
    for (const std::uint32_t infoSize : {40u, 56u, 108u, 124u}) {
        for (const auto& [masks, expected] : {std::pair{kMasks565, 0x7FFFu}, std::pair{kMasks555, 0xFFDFu}}) {
            const std::uint32_t gap = infoSize == 40 ? 12 : 0;
            Bytes file = bitmap({.width = 1, .height = 1, .compression = 3, .infoSize = infoSize, .gapBytes = gap,
                                 .masks = masks},
                                4);
            if (infoSize >= 56) put32(file, 66, 0x8000);
            put16(file, 14 + infoSize + gap, 0x7FFF);
            const auto out = convert(file);
            const std::string story = std::to_string(infoSize) + "-byte header, masks " + std::to_string(masks[1]);
            ASSERT_TRUE(out) << story;
            ASSERT_EQ(out->size(), 14 + infoSize + 4) << story;
            EXPECT_EQ(get16(*out, 10), 14 + infoSize) << story;
            EXPECT_EQ(get16(*out, 14 + infoSize), expected) << story;
            if (infoSize < 56) continue;
            EXPECT_EQ(out->substr(54, 16), std::string("\0\xF8\0\0\xE0\x07\0\0\x1F\0\0\0\0\0\0\0", 16))
                << story << ": the masks describe 5-6-5 without alpha";
        }
    }
}

TEST_F(BitmapConversion, RowsAreReversedAndOtherwiseUnchanged) {
    // 3 pixels of 5-6-5 make rows of 8 bytes, padding included.
    Bytes file = bitmap({.width = 3, .height = 3, .compression = 3, .infoSize = 124, .masks = kMasks565}, 24);
    for (std::size_t i = 0; i < 24; ++i) file[138 + i] = static_cast<std::uint8_t>(i);
    const auto out = convert(file);
    ASSERT_TRUE(out);
    ASSERT_EQ(out->size(), 138u + 24u);
    for (std::size_t row = 0; row < 3; ++row)
        for (std::size_t i = 0; i < 8; ++i)
            EXPECT_EQ(static_cast<std::uint8_t>((*out)[138 + row * 8 + i]), (2 - row) * 8 + i)
                << "output row " << row << " byte " << i;
}

TEST_F(BitmapConversion, BitmapsTheRecorderCannotShowAreRefusedWithTheReason) {
    struct Case {
        const char* story;
        Bytes file;
        std::string problem;
    };
    Bytes truncatedRows = bitmap({.width = 3, .height = 3}, 24);
    truncatedRows.resize(truncatedRows.size() - 1);
    Bytes offsetPastEnd = bitmap({.width = 2, .height = 1}, 4);
    put32(offsetPastEnd, 10, 0xFFFFFFF0);
    Bytes hugeHeight = bitmap({.width = 1, .height = 1 << 30}, 4);
    Bytes truncatedHeader = bitmap({}, 8);
    truncatedHeader.resize(30);
    const std::string headersCut = "truncated: the file ends inside its headers";
    const std::string rowsCut = "truncated: its rows run past the end of the file";
    const Case cases[] = {
        {"empty file", {}, headersCut},
        {"file header only", Bytes(14, 0), headersCut},
        {"info header cut short", truncatedHeader, headersCut},
        {"biSize 8", bitmap({.infoSize = 8}, 8), "unknown info header size 8"},
        {"biSize 100", bitmap({.infoSize = 100}, 8), "unknown info header size 100"},
        {"width 2^30", bitmap({.width = 1 << 30, .height = 1}, 64), rowsCut},
        {"row over 64 KiB", bitmap({.width = 32769, .height = 1}, 65540),
         "its rows are longer than 65536 bytes (65540 bytes)"},
        {"negative width", bitmap({.width = -2}, 8), "it has no pixels (width -2, height 2)"},
        {"top-down rows", bitmap({.height = -2}, 8), "its rows are stored top-down (height -2)"},
        {"bit count 7", bitmap({.bitCount = 7}, 8), "not a 16-bit bitmap (7 bits per pixel)"},
        {"bit count 0", bitmap({.bitCount = 0}, 8), "not a 16-bit bitmap (0 bits per pixel)"},
        {"24 bits", bitmap({.bitCount = 24}, 16), "not a 16-bit bitmap (24 bits per pixel)"},
        {"run-length compressed", bitmap({.compression = 1}, 8), "compressed (compression 1)"},
        {"masks of 4-4-4", bitmap({.compression = 3, .infoSize = 108, .masks = {{0x0F00, 0x00F0, 0x000F}}}, 8),
         "bit-field masks 0F00/00F0/000F are neither 5-6-5 nor 5-5-5"},
        {"masks cut off", bitmap({.width = 1, .height = 1, .compression = 3}, 4),
         "truncated: the file ends inside its bit-field masks"},
        {"height 2^30", hugeHeight, rowsCut},
        {"rows past the end", truncatedRows, rowsCut},
        {"pixel offset past the end", offsetPastEnd, rowsCut},
    };
    for (const Case& c : cases) {
        const PreparedBitmap result = prepareBitmap(folder.write("logo.bmp", c.file), folder.path());
        EXPECT_EQ(result.outcome, BitmapOutcome::Failed) << c.story;
        EXPECT_EQ(result.problem, c.problem) << c.story;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1) << "only logo.bmp is left";
    EXPECT_EQ(prepareBitmap(folder.path() / "absent.bmp", folder.path()).outcome, BitmapOutcome::SourceMissing);
    const auto noFolder = folder.path() / "no" / "such" / "folder";
    const PreparedBitmap unwritable = prepareBitmap(folder.write("ok.bmp", bitmap({}, 8)), noFolder);
    EXPECT_EQ(unwritable.outcome, BitmapOutcome::Failed);
    EXPECT_TRUE(unwritable.problem.starts_with("cannot create a folder in " + noFolder.string() + ": "));
}

TEST_F(BitmapConversion, ANameLeftInTheSharedFolderIsNeverWrittenThrough) {
    const auto planted = folder.write("qubpoweron.bmp", "another user's file");
    std::filesystem::path own;
    {
        const PreparedBitmap result = prepareBitmap(folder.write("logo.bmp", bitmap({}, 8)), folder.path());
        ASSERT_EQ(result.outcome, BitmapOutcome::Written);
        EXPECT_NE(result.output, planted);
        own = result.output.parent_path();
    }
    EXPECT_EQ(test::TempFolder::read(planted), "another user's file");
    EXPECT_FALSE(std::filesystem::exists(own)) << "the run's folder goes with the bitmap";
}

TEST(BitmapNames, OnlyNamesEndingInDotBmpAreConverted) {
    EXPECT_TRUE(isBitmapName("logo.bmp"));
    EXPECT_TRUE(isBitmapName("LOGO.BMP"));
    EXPECT_TRUE(isBitmapName(".Bmp"));
    EXPECT_FALSE(isBitmapName("logo.bmpx"));
    EXPECT_FALSE(isBitmapName("bmp"));
    EXPECT_FALSE(isBitmapName(""));
    EXPECT_FALSE(isBitmapName("logo.bin"));
}

}  // namespace
}  // namespace ib
