// UTF-16 LE to code page 1252. See code_page_1252.h.
#include "config/code_page_1252.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace ib {
namespace {

// Code page 1252 is Latin-1 except for the bytes 0x80 to 0x9F, listed here by
// the character each stands for. Windows maps its five unassigned bytes (0x81,
// 0x8D, 0x8F, 0x90, 0x9D) to the control characters of the same number.
constexpr std::array<char16_t, 32> kBytes80To9F = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t unitAt(std::string_view bytes, std::size_t at) {
    return static_cast<char16_t>(static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

char toCodePage1252(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
    const auto found = std::find(kBytes80To9F.begin(), kBytes80To9F.end(), unit);
    if (found == kBytes80To9F.end()) return '?';
    return static_cast<char>(0x80 + (found - kBytes80To9F.begin()));
}

}  // namespace

std::string utf16LeToCodePage1252(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        const char16_t unit = unitAt(bytes, at);
        // A surrogate pair stands for one character, which is never in the code page.
        if (isHighSurrogate(unit) && at + 3 < bytes.size() && isLowSurrogate(unitAt(bytes, at + 2))) at += 2;
        text += toCodePage1252(unit);
    }
    return text;
}

}  // namespace ib
