// Editing one key of a profile file's text. See profile_text_edit.h.
#include "config/profile_text_edit.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "config/private_profile.h"
#include "seams/small_file.h"

namespace ib {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

bool hasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

bool hasOuterBlanks(std::string_view text) { return isBlank(text.front()) || isBlank(text.back()); }

bool isStorableName(std::string_view name, std::string_view forbidden) {
    return !name.empty() && !hasLineBreak(name) && !hasOuterBlanks(name) &&
           name.find_first_of(forbidden) == std::string_view::npos;
}

// The reader drops surrounding blanks and one pair of matching quotes, so a
// value that would lose either is written inside double quotes.
std::string encodedValue(const std::string& value) {
    if (value.empty()) return value;
    const bool quotedAlready =
        value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\'');
    return (hasOuterBlanks(value) || quotedAlready) ? '"' + value + '"' : value;
}

// A line of the file and the break that ends it ("" for a last line without one).
struct TextLine {
    std::string text;
    std::string end;
};

// Lines end where the reader ends them: at LF, CR LF or a lone CR. Each keeps
// its own break, so the lines the edit does not touch stay as they were.
std::vector<TextLine> splitLines(const std::string& text) {
    std::vector<TextLine> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", begin), text.size());
        const std::size_t breakLength = text.compare(end, 2, "\r\n") == 0 ? 2 : (end < text.size() ? 1 : 0);
        lines.push_back({text.substr(begin, end - begin), text.substr(end, breakLength)});
        begin = end + breakLength;
    }
    return lines;
}

bool isSectionLine(const TextLine& line, const std::string* name = nullptr) {
    const ProfileLine parsed = classifyProfileLine(line.text);
    return parsed.kind == ProfileLine::Kind::Section && (!name || sameProfileName(parsed.name, *name));
}

void setKey(std::vector<TextLine>& lines, const std::string& section, const std::string& key,
            const std::string& line) {
    std::size_t at = 0;
    while (at < lines.size() && !isSectionLine(lines[at], &section)) ++at;
    if (at == lines.size()) {
        lines.push_back({'[' + section + ']', "\n"});
        lines.push_back({line, "\n"});
        return;
    }
    std::size_t insertAfter = at;
    for (++at; at < lines.size() && !isSectionLine(lines[at]); ++at) {
        const ProfileLine parsed = classifyProfileLine(lines[at].text);
        if (parsed.kind != ProfileLine::Kind::Key) continue;
        if (sameProfileName(parsed.name, key)) {
            lines[at].text = line;
            return;
        }
        insertAfter = at;
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAfter) + 1, TextLine{line, "\n"});
}

}  // namespace

std::optional<std::string> currentProfileText(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) return error ? std::nullopt : std::optional<std::string>("");
    return readSmallFile(file, kLargestProfileBytes);
}

std::optional<std::string> profileTextWithKey(const std::string& text, const std::string& section,
                                              const std::string& key, const std::string& value) {
    if (!isStorableName(section, "]") || !isStorableName(key, "=") || key.front() == ';' || key.front() == '[' ||
        hasLineBreak(value))
        return std::nullopt;
    std::vector<TextLine> lines = splitLines(text);
    setKey(lines, section, key, key + '=' + encodedValue(value));
    std::string replacement;
    for (const TextLine& line : lines) replacement += line.text + (line.end.empty() ? "\n" : line.end);
    return replacement;
}

std::optional<std::string> profileFileWithKey(const std::filesystem::path& file, const std::string& section,
                                              const std::string& key, const std::string& value) {
    if (file.empty()) return std::nullopt;
    const std::optional<std::string> text = currentProfileText(file);
    if (!text) return std::nullopt;
    return profileTextWithKey(*text, section, key, value);
}

}  // namespace ib
