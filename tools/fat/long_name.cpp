// Long-name rules, UTF-8 to UTF-16 and case folding. See long_name.h.
#include "tools/fat/long_name.h"

#include <algorithm>
#include <array>

#include "tools/fat/upper_case.h"

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

// Long names hold UTF-16: a character beyond U+FFFF takes a surrogate pair.
std::u16string toUtf16(std::u32string_view codePoints) {
    std::u16string units;
    for (const char32_t value : codePoints) {
        if (value < 0x10000) {
            units.push_back(static_cast<char16_t>(value));
        } else {
            units.push_back(static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF)));
        }
    }
    return units;
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
    if (toUtf16(*codePoints).size() > kMaxLongNameUnits) {
        return "the name is longer than the 255 UTF-16 units of a FAT name";
    }
    return std::nullopt;
}

std::u16string utf16Name(std::string_view name) { return toUtf16(decodeUtf8(name).value_or(U"")); }

std::u16string caseBlindName(std::u16string_view name) {
    std::u16string folded(name);
    std::transform(folded.begin(), folded.end(), folded.begin(), upperCase);
    return folded;
}

}  // namespace ib::tools::fat
