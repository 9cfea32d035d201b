// Reads an INI file ("DiskInfo.ini") the way the Windows private-profile
// functions read it: names matched without regard to case, first section and
// key win, blanks around names and values dropped, one pair of matching quotes
// removed, strings cut to capacity - 1 characters, integers as the leading
// decimal number wrapping to unsigned, absent key or empty value -> default,
// lines starting with ';' are comments, a line ends at LF, CR or CR LF, and a
// file that starts with the UTF-16 LE byte-order mark is read as Unicode text.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ib {

class PrivateProfile {
public:
    // Reads the whole file now. nullopt when it does not open for reading, when
    // it is not a regular file (or a link to one): a named pipe or a device
    // would block the reader or never end, and when it is larger than any
    // configuration (kLargestProfileBytes).
    static std::optional<PrivateProfile> load(const std::filesystem::path& path);
    // Parses a file's bytes already in memory (tests, and callers that hold them).
    static PrivateProfile parse(std::string_view bytes);
    // An empty profile: every read yields its default (a missing file).
    PrivateProfile() = default;

    // GetPrivateProfileInt: the leading decimal number of the value (optional
    // sign, wrapping modulo 2^32); a value with no leading number reads as 0;
    // an absent key or empty value gives `fallback`.
    std::uint32_t readInt(std::string_view section, std::string_view key, std::uint32_t fallback) const;
    // GetPrivateProfileString with a buffer of `capacity` characters: at most
    // capacity - 1 characters of the value (or of `fallback` when absent).
    std::string readString(std::string_view section, std::string_view key, std::string_view fallback,
                           std::size_t capacity) const;
    // Whether a section of that name exists (a missing one yields only defaults).
    bool hasSection(std::string_view section) const;
    // The section whose header stands right behind a UTF-8 byte-order mark at
    // the file's start. Like Windows, the reader takes the mark as part of that
    // line, so the header is not recognised and the section's keys are not read.
    const std::optional<std::string>& sectionHiddenByByteOrderMark() const { return m_sectionHiddenByMark; }

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    const std::string* find(std::string_view section, std::string_view key) const;

    std::vector<Section> m_sections;
    std::optional<std::string> m_sectionHiddenByMark;
};

// One line of a profile file as the reader sees it; shared with the code that
// edits profile files, so both agree on what a section or a key is.
struct ProfileLine {
    enum class Kind { Blank, Comment, Section, Key, Other };
    Kind kind = Kind::Blank;
    std::string name;   // section or key name, surrounding blanks dropped
    std::string value;  // key value, surrounding blanks and one pair of matching quotes dropped
};
ProfileLine classifyProfileLine(std::string_view line);

// Section and key names compare without regard to (ASCII) letter case.
bool sameProfileName(std::string_view a, std::string_view b);

// The leading decimal number of a text: leading blanks and one sign allowed,
// reading stops at the first other character, no digits gives 0; the value
// wraps modulo 2^32, so "-1" gives 0xFFFFFFFF.
std::uint32_t leadingDecimal(std::string_view text);

// Reads one value with a fresh read of the file, as every operation does:
// edits to the file take effect at the next operation.
std::uint32_t readProfileInt(const std::filesystem::path& file, std::string_view section, std::string_view key,
                             std::uint32_t fallback);
std::string readProfileString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                              std::string_view fallback, std::size_t capacity);

}  // namespace ib
