// Long-name rules, UTF-8 decoding and case folding. See long_name.h.
#include "tools/fat/long_name.h"

#include <algorithm>
#include <array>

namespace ib::tools::fat {
namespace {

constexpr std::string_view kForbiddenCharacters = "\"*/:<>?\\|";
// Windows, and so a card reader on it, refuses these as names, with or without extension.
constexpr std::array<std::string_view, 4> kReservedNames{"CON", "PRN", "AUX", "NUL"};
constexpr std::array<std::string_view, 2> kReservedPortPrefixes{"COM", "LPT"};

std::string upperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

bool isReservedDeviceName(std::string_view name) {
    const std::string base = upperAscii(name.substr(0, name.find('.')));
    if (std::find(kReservedNames.begin(), kReservedNames.end(), base) != kReservedNames.end()) return true;
    return base.size() == 4 && base[3] >= '1' && base[3] <= '9' &&
           std::find(kReservedPortPrefixes.begin(), kReservedPortPrefixes.end(), base.substr(0, 3)) !=
               kReservedPortPrefixes.end();
}

// The code points of `text`; nullopt when it is not well-formed UTF-8 (overlong forms,
// surrogates and values above U+10FFFF included).
std::optional<std::u32string> decodeUtf8(std::string_view text) {
    std::u32string decoded;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80         ? 1
                                   : lead >> 5 == 0x6  ? 2
                                   : lead >> 4 == 0xE  ? 3
                                   : lead >> 3 == 0x1E ? 4
                                                       : 0;
        if (length == 0 || i + length > text.size()) return std::nullopt;
        char32_t value = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if (next >> 6 != 0x2) return std::nullopt;
            value = value << 6 | (next & 0x3F);
        }
        constexpr std::array<char32_t, 5> kSmallestOfLength{0, 0, 0x80, 0x800, 0x10000};
        if (value < kSmallestOfLength[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            return std::nullopt;
        }
        decoded.push_back(value);
        i += length;
    }
    return decoded;
}

// Long names hold UCS-2, the characters up to U+FFFF; a reader that does not pair
// surrogates (mtools among them) would show a character beyond as two others.
constexpr char32_t kLastLongNameCharacter = 0xFFFF;

std::u16string toUtf16(std::u32string_view codePoints) {
    std::u16string units;
    for (const char32_t value : codePoints) units.push_back(static_cast<char16_t>(value));
    return units;
}

bool isLowerCaseInPairedRange(char16_t c) {
    // Latin Extended-A pairs each capital with the small letter after it, except in the
    // two runs where the small letter comes first.
    if (c < 0x0100 || c > 0x017E || c == 0x0131 || c == 0x0138 || c == 0x0149) return false;
    const bool capitalsOnOddCodes = (c >= 0x0139 && c <= 0x0148) || (c >= 0x0179 && c <= 0x017E);
    return (c % 2 == 0) == capitalsOnOddCodes;
}

char16_t upperCase(char16_t c) {
    if ((c >= u'a' && c <= u'z') || (c >= 0x00E0 && c <= 0x00FE && c != 0x00F7)) return c - 0x20;
    if (c == 0x00FF) return 0x0178;
    if (isLowerCaseInPairedRange(c)) return c - 1;
    if (c == 0x03C2) return 0x03A3;  // final sigma
    if ((c >= 0x03B1 && c <= 0x03C9) || (c >= 0x0430 && c <= 0x044F)) return c - 0x20;
    if (c >= 0x0450 && c <= 0x045F) return c - 0x50;
    return c;
}

}  // namespace

std::optional<std::string> longNameProblem(std::string_view name) {
    if (name.empty()) return "the name is empty";
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20) return "the name holds a control character";
        if (kForbiddenCharacters.find(c) != std::string_view::npos) {
            return std::string("the name holds '") + c + "', which FAT names cannot hold";
        }
    }
    if (name.back() == '.' || name.back() == ' ') {
        return "the name ends in a dot or a space, which FAT would drop";
    }
    if (isReservedDeviceName(name)) return "the name is reserved for a device on FAT volumes";
    const auto codePoints = decodeUtf8(name);
    if (!codePoints) return "the name is not valid UTF-8, so its characters are unknown";
    if (std::any_of(codePoints->begin(), codePoints->end(), [](char32_t c) { return c > kLastLongNameCharacter; })) {
        return "the name holds a character beyond U+FFFF (an emoji, say), which FAT names cannot hold";
    }
    if (codePoints->size() > kMaxLongNameCharacters) return "the name is longer than the 255 characters of a FAT name";
    return std::nullopt;
}

std::u16string utf16Name(std::string_view name) { return toUtf16(decodeUtf8(name).value_or(U"")); }

std::u16string caseBlindName(std::u16string_view name) {
    std::u16string folded(name);
    std::transform(folded.begin(), folded.end(), folded.begin(), upperCase);
    return folded;
}

}  // namespace ib::tools::fat
