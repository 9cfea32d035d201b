// Windows-style short names with numeric tails. See short_name.h.
#include "tools/fat/short_name.h"

#include <algorithm>
#include <map>
#include <set>
#include <string_view>

namespace ib::tools::fat {
namespace {

constexpr std::size_t kBaseLength = 8;
constexpr std::size_t kExtensionLength = 3;
constexpr std::string_view kShortNamePunctuation = "$%'-_@~`!(){}^#&";

bool isAsciiContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The basis of a short name: base and extension, cut to length.
struct Basis {
    std::string base;
    std::string extension;

    std::string dotted() const { return extension.empty() ? base : base + "." + extension; }
    ShortNameField field(const std::string& tail = "") const {
        ShortNameField result;
        result.fill(' ');
        const std::string cutBase = base.substr(0, kBaseLength - tail.size()) + tail;
        std::copy(cutBase.begin(), cutBase.end(), result.begin());
        std::copy(extension.begin(), extension.end(), result.begin() + kBaseLength);
        return result;
    }
};

// Whether `c` starts a character beyond U+FFFF in UTF-8, which takes two UTF-16 units.
bool startsSurrogatePair(char c) { return (static_cast<unsigned char>(c) & 0xF8) == 0xF0; }

// `part` as short-name characters, up to `length` of them: letters in upper case, dots
// and spaces left out, any other character a short name cannot hold as '_', once for
// each UTF-16 unit it takes, as Windows replaces them.
std::string shortNameCharacters(std::string_view part, std::size_t length) {
    std::string characters;
    for (const char c : part) {
        if (c == '.' || c == ' ' || isAsciiContinuationByte(c)) continue;
        const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        characters.append(startsSurrogatePair(c) ? 2 : 1, isShortNameCharacter(upper) ? upper : '_');
    }
    characters.resize(std::min(characters.size(), length));
    return characters;
}

// The extension follows the last dot; dots and spaces at the start belong to neither.
Basis basisOf(std::string_view name) {
    const std::size_t start = std::min(name.find_first_not_of(". "), name.size());
    const std::size_t lastDot = name.rfind('.');
    if (lastDot == std::string_view::npos || lastDot < start) {
        return {shortNameCharacters(name.substr(start), kBaseLength), ""};
    }
    return {shortNameCharacters(name.substr(start, lastDot - start), kBaseLength),
            shortNameCharacters(name.substr(lastDot + 1), kExtensionLength)};
}

std::string upperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

}  // namespace

bool isShortNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || kShortNamePunctuation.find(c) != std::string_view::npos;
}

std::vector<ShortName> assignShortNames(std::span<const std::string> names) {
    std::vector<ShortName> shortNames(names.size());
    std::vector<Basis> bases;
    std::set<ShortNameField> taken;
    std::vector<bool> needsTail(names.size());
    // Names that are short names already are taken first, so no tail can take theirs.
    for (std::size_t i = 0; i < names.size(); ++i) {
        bases.push_back(basisOf(names[i]));
        const bool exact = bases[i].dotted() == upperAscii(names[i]);
        needsTail[i] = !exact || !taken.insert(bases[i].field()).second;
        shortNames[i] = {bases[i].field(), names[i] != bases[i].dotted()};
    }
    // Each basis counts its tails on from the last one given: "~1", "~2", ...
    std::map<std::string, unsigned> nextTail;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (!needsTail[i]) continue;
        unsigned& number = nextTail.try_emplace(bases[i].dotted(), 1).first->second;
        ShortNameField field;
        do {
            std::string tail = "~";
            tail += std::to_string(number++);
            field = bases[i].field(tail);
        } while (!taken.insert(field).second);
        shortNames[i] = {field, true};
    }
    return shortNames;
}

}  // namespace ib::tools::fat
