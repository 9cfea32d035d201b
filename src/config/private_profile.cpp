// Reads INI files with the rules of the Windows private-profile functions (see
// private_profile.h). The whole file is parsed once into sections and keys;
// lookups then take the first matching section and, inside it, the first key.
#include "config/private_profile.h"

#include <algorithm>

#include "config/code_page_1252.h"
#include "seams/small_file.h"

namespace ib {
namespace {

constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// A line ends at LF, at CR LF, and at a lone CR.
std::string_view firstLine(std::string_view text) { return text.substr(0, text.find_first_of("\r\n")); }

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// One pair of matching quotes around the whole value is dropped, as the
// Windows functions do; a lone or mismatched quote stays part of the value.
std::string_view unquoted(std::string_view value) {
    if (value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\''))
        return value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

bool sameProfileName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

std::uint32_t leadingDecimal(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && isBlank(text[at])) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    std::uint32_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        value = value * 10u + static_cast<std::uint32_t>(text[at] - '0');  // wraps modulo 2^32
    return negative ? 0u - value : value;
}

ProfileLine classifyProfileLine(std::string_view line) {
    const std::string_view text = trimmed(line);
    ProfileLine result;
    if (text.empty()) return result;
    if (text.front() == ';') {
        result.kind = ProfileLine::Kind::Comment;
    } else if (text.front() == '[') {
        // A header without its closing bracket still names the section up to the line's end.
        const std::string_view inner = text.substr(1);
        result.kind = ProfileLine::Kind::Section;
        result.name = trimmed(inner.substr(0, inner.find(']')));
    } else if (const auto equals = text.find('='); equals != std::string_view::npos) {
        result.kind = ProfileLine::Kind::Key;
        result.name = trimmed(text.substr(0, equals));
        result.value = unquoted(trimmed(text.substr(equals + 1)));
    } else {
        // A line without '=' inside a section names no key and is never found.
        result.kind = ProfileLine::Kind::Other;
    }
    return result;
}

std::optional<PrivateProfile> PrivateProfile::load(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::status(path, error))) return std::nullopt;
    const auto bytes = readSmallFile(path, kLargestProfileBytes);
    if (!bytes) return std::nullopt;
    return parse(*bytes);
}

PrivateProfile PrivateProfile::parse(std::string_view bytes) {
    // A file with the UTF-16 LE mark is Unicode text; any other file is taken
    // byte for byte, a UTF-8 mark included.
    const std::string decoded = bytes.starts_with(kUtf16LeMark)
                                    ? utf16LeToCodePage1252(bytes.substr(kUtf16LeMark.size()))
                                    : std::string(bytes);
    std::string_view text = decoded;
    PrivateProfile profile;
    if (text.starts_with(kUtf8Mark)) {
        const ProfileLine hidden = classifyProfileLine(firstLine(text.substr(kUtf8Mark.size())));
        if (hidden.kind == ProfileLine::Kind::Section) profile.m_sectionHiddenByMark = hidden.name;
    }
    // Keys before the first section belong to none and are never found.
    Section* current = nullptr;
    while (!text.empty()) {
        const std::string_view lineText = firstLine(text);
        const ProfileLine line = classifyProfileLine(lineText);
        text.remove_prefix(std::min(lineText.size() + 1, text.size()));
        if (line.kind == ProfileLine::Kind::Section) {
            current = &profile.m_sections.emplace_back(Section{line.name, {}});
        } else if (line.kind == ProfileLine::Kind::Key && current) {
            current->entries.push_back(Entry{line.name, line.value});
        }
    }
    return profile;
}

const std::string* PrivateProfile::find(std::string_view section, std::string_view key) const {
    // Only the first section of a name is searched, as Windows does when a name repeats.
    const auto found = std::find_if(m_sections.begin(), m_sections.end(),
                                    [&](const Section& s) { return sameProfileName(s.name, section); });
    if (found == m_sections.end()) return nullptr;
    for (const Entry& entry : found->entries)
        if (sameProfileName(entry.key, key)) return &entry.value;
    return nullptr;
}

bool PrivateProfile::hasSection(std::string_view section) const {
    return std::any_of(m_sections.begin(), m_sections.end(),
                       [&](const Section& s) { return sameProfileName(s.name, section); });
}

// An empty value (also one that is empty once its quotes are dropped, like
// `Key=""`) counts as absent and gives the default, for strings as for integers.
std::uint32_t PrivateProfile::readInt(std::string_view section, std::string_view key,
                                      std::uint32_t fallback) const {
    const std::string* value = find(section, key);
    if (!value || value->empty()) return fallback;
    return leadingDecimal(*value);
}

std::string PrivateProfile::readString(std::string_view section, std::string_view key,
                                       std::string_view fallback, std::size_t capacity) const {
    const std::string* value = find(section, key);
    const std::string_view text = (!value || value->empty()) ? fallback : std::string_view(*value);
    if (capacity == 0) return {};
    return std::string(text.substr(0, capacity - 1));
}

std::uint32_t readProfileInt(const std::filesystem::path& file, std::string_view section,
                             std::string_view key, std::uint32_t fallback) {
    return PrivateProfile::load(file).value_or(PrivateProfile{}).readInt(section, key, fallback);
}

std::string readProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, std::string_view fallback, std::size_t capacity) {
    return PrivateProfile::load(file).value_or(PrivateProfile{}).readString(section, key, fallback, capacity);
}

}  // namespace ib
