// Bitmap conversion for the recorder: rows reversed, 16-bit pixels widened to
// 5-6-5, headers rewritten; and malformed files refused without touching
// memory outside the buffers (the sanitizer build checks that part).
#include <gtest/gtest.h>

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
};

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
    return b;
}

class BitmapConversion : public ::testing::Test {
protected:
    std::optional<std::string> convert(const Bytes& file) {
        const auto result = prepareBitmap(folder.write("logo.bmp", file), folder.path());
        if (!result) return std::nullopt;
        EXPECT_EQ(*result, folder.path() / "qubpoweron.bmp");
        return test::TempFolder::read(*result);
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

    // A 16-bit bitmap with bit-field masks is copied unchanged.
    Bytes masked = bitmap({.width = 2, .height = 1, .compression = 3}, 4);
    put16(masked, 54, 0x7FFF);
    const auto maskedOut = convert(masked);
    ASSERT_TRUE(maskedOut);
    EXPECT_EQ(get16(*maskedOut, 54), 0x7FFFu);
}

TEST_F(BitmapConversion, TwentyFourBitRowsAreReversedAndOtherwiseUnchanged) {
    Bytes file = bitmap({.width = 3, .height = 3, .bitCount = 24}, 36);
    for (std::size_t i = 0; i < 36; ++i) file[54 + i] = static_cast<std::uint8_t>(i);
    const auto out = convert(file);
    ASSERT_TRUE(out);
    ASSERT_EQ(out->size(), 54u + 36u);
    for (std::size_t row = 0; row < 3; ++row)
        for (std::size_t i = 0; i < 12; ++i)
            EXPECT_EQ(static_cast<std::uint8_t>((*out)[54 + row * 12 + i]), (2 - row) * 12 + i)
                << "output row " << row << " byte " << i;

    const auto flat = convert(bitmap({.width = 3, .height = -3, .bitCount = 24}, 36));
    ASSERT_TRUE(flat);
    EXPECT_EQ(flat->size(), 54u) << "a height of 0 or less gets no rows";
}

TEST_F(BitmapConversion, MalformedFilesGiveNoDeviceBitmap) {
    struct Case {
        const char* story;
        Bytes file;
    };
    Bytes truncatedRows = bitmap({.width = 3, .height = 3, .bitCount = 24}, 36);
    truncatedRows.resize(truncatedRows.size() - 1);
    Bytes offsetPastEnd = bitmap({.width = 2, .height = 1}, 4);
    put32(offsetPastEnd, 10, 0xFFFFFFF0);
    Bytes hugeHeight = bitmap({.width = 1, .height = 1 << 30}, 4);
    Bytes truncatedHeader = bitmap({}, 8);
    truncatedHeader.resize(30);
    const Case cases[] = {
        {"empty file", {}},
        {"file header only", Bytes(14, 0)},
        {"info header cut short", truncatedHeader},
        {"biSize 8", bitmap({.infoSize = 8}, 8)},
        {"biSize 100", bitmap({.infoSize = 100}, 8)},
        {"width 2^30", bitmap({.width = 1 << 30, .height = 1, .bitCount = 24}, 64)},
        {"negative width", bitmap({.width = -2}, 8)},
        {"bit count 7", bitmap({.bitCount = 7}, 8)},
        {"bit count 0", bitmap({.bitCount = 0}, 8)},
        {"height 2^30", hugeHeight},
        {"rows past the end", truncatedRows},
        {"pixel offset past the end", offsetPastEnd},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(convert(c.file)) << c.story;
        EXPECT_FALSE(std::filesystem::exists(folder.path() / "qubpoweron.bmp")) << c.story << ": output left";
    }
    EXPECT_FALSE(prepareBitmap(folder.path() / "absent.bmp", folder.path()));
    EXPECT_FALSE(
        prepareBitmap(folder.write("ok.bmp", bitmap({}, 8)), folder.path() / "no" / "such" / "folder"));
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
