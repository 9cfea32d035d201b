// Register field numbers. See parse_number.h.
#include "device/parse_number.h"

#include <cctype>
#include <limits>
#include <string_view>

namespace ib {
namespace {

constexpr std::uint64_t kLargestUnsigned32 = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint64_t kLargestNegative32 = std::uint64_t{1} << 31;  // magnitude of -2^31

std::optional<unsigned> digitValue(char c, unsigned base) {
    unsigned value = base;
    if (c >= '0' && c <= '9') value = static_cast<unsigned>(c - '0');
    else if (c >= 'a' && c <= 'f') value = static_cast<unsigned>(c - 'a') + 10;
    else if (c >= 'A' && c <= 'F') value = static_cast<unsigned>(c - 'A') + 10;
    if (value >= base) return std::nullopt;
    return value;
}

// The leading digits of `text`, up to `limit`; nullopt without a digit or above the limit.
std::optional<std::uint64_t> leadingDigits(std::string_view text, unsigned base, std::uint64_t limit) {
    std::uint64_t value = 0;
    std::size_t count = 0;
    for (; count < text.size(); ++count) {
        const auto digit = digitValue(text[count], base);
        if (!digit) break;
        if (value > (limit - *digit) / base) return std::nullopt;
        value = value * base + *digit;
    }
    if (count == 0) return std::nullopt;
    return value;
}

std::optional<std::uint64_t> signedDecimal(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    const auto magnitude = leadingDigits(text, 10, negative ? kLargestNegative32 : kLargestUnsigned32);
    if (!magnitude) return std::nullopt;
    return negative ? (kLargestUnsigned32 + 1 - *magnitude) & kLargestUnsigned32 : *magnitude;
}

}  // namespace

std::optional<std::uint64_t> ParseNumber(const std::string& text) {
    const std::string_view view(text);
    if (view.starts_with("0x"))
        return leadingDigits(view.substr(2), 16, std::numeric_limits<std::uint64_t>::max());
    return signedDecimal(view);
}

}  // namespace ib
